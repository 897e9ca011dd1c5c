// PROCEED under random folders and random rule settings, driven through the real window: after
// every run each file's content is on disk exactly once, each file is under its old name or
// under the name its "renamed to" line gives, and every log line is true of the disk. Then undo
// and redo of that PROCEED, now and then after another program changed the folder: each does
// what a model of never-replacing renames says, logs it truly, and with no change in between
// puts every file back under its exact old bytes, or again under its new name.
//
// TESSALY_PROPERTY_SEED repeats a run (its seed is printed), TESSALY_PROPERTY_CASES sets the
// number of cases, TESSALY_PROPERTY_ONLY runs one case of the seed.
#include "engine/numbers.h"
#include "randomcases.h"
#include "windowfixture.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <QAction>
#include <QMap>
#include <QSet>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

const char* const suffixes[] = {"", ".mp3", ".MP3", ".Mp3", ".txt", "."};
const char* const positions[] = {"-1", "0", "1",      "2",     "3",   "4",   "5",
                                 "8",  "9", "-32768", "40000", "abc", "2.5", "&H3"};

struct Chosen {
    FileEntry entry;
    QString preview;
};

struct Rules {
    QString texts[8]; // txtFrom, txtTo, txtWith2, txtRepl, txtWith, txtEras, txtAdd, txtAft
    int boxes[8];     // chkRepl2, chkRepl, chkEras, chkAll, chkAdd, chkCapi, chkUp, chkLow
};
const char* const textBoxes[] = {"txtFrom", "txtTo",   "txtWith2", "txtRepl",
                                 "txtWith", "txtEras", "txtAdd",   "txtAft"};
const char* const checkBoxes[] = {"chkRepl2", "chkRepl", "chkEras", "chkAll",
                                  "chkAdd",   "chkCapi", "chkUp",   "chkLow"};

bool sameSpelling(const QByteArray& a, const QByteArray& b, bool foldCase)
{
    if (!foldCase)
        return a == b;
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

// What the run and its log may do with a name: it is refused when it has a "/" or NUL, is
// "..", or is too long.
bool isBadName(const QString& name)
{
    const QByteArray b = encodePath(name);
    return b.contains('/') || b.contains('\0') || b == ".." || b.size() > 255;
}

struct Totals {
    int cases = 0, foldingCases = 0, fallbackCases = 0, files = 0, renamed = 0, exists = 0,
        notFound = 0, badNames = 0, positionLines = 0, removedBeforeProceed = 0, faultsInjected = 0,
        faultsIgnored = 0, overflowReports = 0, undone = 0, redone = 0, waited = 0, meddled = 0;
};

qint16 positionOf(const QString& text)
{
    try {
        return readPosition(text);
    } catch (const RunTimeError&) {
        return 0; // the report is answered Ignore: the field stays 0
    }
}

} // namespace

class PropertyTest : public WindowTest {
protected:
    PropertyTest() { text("txtFilter")->setText(QStringLiteral("*")); }

    // Runs one case in a folder of its own; returns what went wrong, empty when nothing did.
    QStringList runCase(quint64 seed, Totals& totals, QString& description);
};

QStringList PropertyTest::runCase(quint64 seed, Totals& totals, QString& description)
{
    Random random(seed);
    TempFolder caseFolder;
    QStringList problems;

    // The file system.
    calls.foldCase = random.chance(0.3);
    calls.refuseNoReplace = random.chance(0.3);
    calls.refuseLinks = calls.refuseNoReplace && random.chance(0.5);
    totals.foldingCases += calls.foldCase;
    totals.fallbackCases += calls.refuseNoReplace;

    // The folder: files with unique contents, now and then a hidden file, a subfolder and (on
    // a case-sensitive folder) a name that is not UTF-8.
    QMap<QByteArray, QByteArray> disk;
    const auto add = [&](QByteArray name, const QByteArray& content) {
        if (name.isEmpty() || name == "." || name == ".." || name.size() > 255)
            return;
        for (auto it = disk.constBegin(); it != disk.constEnd(); ++it)
            if (sameSpelling(it.key(), name, calls.foldCase))
                return;
        if (createEntry(caseFolder.path(), name, content))
            disk.insert(name, content);
    };
    const int fileCount = 1 + random.below(8);
    for (int k = 0; k < fileCount; ++k) {
        QByteArray name = (random.pieceText(4) + QString::fromUtf8(random.pick(suffixes))).toUtf8();
        if (name.startsWith('.'))
            name.prepend('x');
        if (!calls.foldCase && random.chance(0.1))
            name.replace("\xc3\xa9", "\xe9"); // "é" as Latin-1
        add(name, "content " + QByteArray::number(k) + " of " + QByteArray::number(seed));
    }
    if (random.chance(0.2))
        add('.' + random.pieceText(2).toUtf8(), "hidden of " + QByteArray::number(seed));
    if (random.chance(0.2))
        add((random.pieceText(3) + QString::fromUtf8(random.pick(suffixes))).toUtf8(), folderMark);

    // The error report: overflowing positions are ignored, an injected fault is answered as
    // the case says; anything else is a failure.
    QString faultName;
    int faultCode = 0;
    const bool retryFault = random.chance(0.5);
    bool faultAnswered = false;
    window.box.errors.clear();
    window.box.answers.clear();
    window.box.whileShown = [&] {
        const QString& text = window.box.errors.last().text;
        if (text.contains(QStringLiteral("Error Number = 6\r\n"))) {
            ++totals.overflowReports;
        } else if (faultCode && !faultAnswered &&
                   text.contains(QStringLiteral("Error Number = %1\r\n").arg(faultCode))) {
            faultAnswered = true;
            window.box.answers = {retryFault ? MessageBoxService::Retry
                                             : MessageBoxService::Ignore};
            return;
        } else {
            problems.append(QStringLiteral("unexpected error report: ") + text);
        }
        window.box.answers = {MessageBoxService::Ignore};
    };
    struct Unhook {
        FakeMessageBox& box;
        ~Unhook() { box.whileShown = nullptr; }
    } unhook{window.box};

    get<FolderList>("dirDir")->setPath(caseFolder.path() + u'/');
    ListBox* choice = list("lstChoice");
    if (choice->ListCount() > 1 && random.chance(0.2)) { // narrowed by hand
        choice->clearSelection();
        choice->setSelected(random.below(int(choice->ListCount())), true);
        QTest::keyClick(choice, Qt::Key_Delete);
    }

    // The rules: every field and box at random, positions valid and not.
    Rules rules;
    for (int t = 0; t < 8; ++t) {
        const bool position = t == 0 || t == 1 || t == 7;
        QString value =
            position ? QString::fromLatin1(random.pick(positions)) : random.pieceText(3);
        if (!position && random.chance(0.08))
            value += random.chance(0.5) ? QStringLiteral("/") : QStringLiteral("..");
        if (!position && random.chance(0.02))
            value = QString(260, u'x');
        rules.texts[t] = value;
        text(textBoxes[t])->setText(value);
    }
    for (int b = 0; b < 8; ++b) {
        rules.boxes[b] = random.chance(0.1) ? 2 : random.below(2);
        check(checkBoxes[b])->setValue(rules.boxes[b]);
    }
    choice->clearSelection();
    QTest::keyClick(choice, Qt::Key_Delete); // with nothing selected: a preview, nothing else
    for (int t = 0; t < 8; ++t)
        rules.texts[t] = text(textBoxes[t])->Text(); // in normal form

    // Files under some of the new names, so that names collide and chains form: one file's
    // new name is another's old name.
    if (random.chance(0.5)) {
        for (const QString& name : lines("lstPreview"))
            if (!isBadName(name) && !name.isEmpty() && !name.startsWith(u'.') && random.chance(0.5))
                add(name.toUtf8(),
                    "made from a new name of " + QByteArray::number(seed) + ": " + name.toUtf8());
        refresh();
        QTest::keyClick(choice, Qt::Key_Delete);
    }

    const QList<FileEntry> entries = choice->entries();
    const QStringList preview = lines("lstPreview");
    if (preview.size() != entries.size())
        problems.append(QStringLiteral("the preview has %1 lines for %2 chosen files")
                            .arg(preview.size())
                            .arg(entries.size()));
    QList<Chosen> chosen;
    for (qsizetype i = 0; i < entries.size(); ++i)
        chosen.append({entries[i], i < preview.size() ? preview[i] : entries[i].name});
    totals.files += int(chosen.size());

    // Behind the window's back: a chosen file removed, a rename that will fail.
    QSet<QByteArray> removed;
    if (!chosen.isEmpty() && random.chance(0.35)) {
        const QByteArray gone = chosen[random.below(int(chosen.size()))].entry.bytes();
        ::unlink((encodePath(caseFolder.path()) + '/' + gone).constData());
        disk.remove(gone);
        removed.insert(gone);
        ++totals.removedBeforeProceed;
    }
    const QMap<QByteArray, QByteArray> before = disk;
    if (!chosen.isEmpty() && random.chance(0.2)) {
        static const int codes[] = {70, 57, 61, 75};
        faultCode = random.pick(codes);
        faultName = decodePath(chosen[random.below(int(chosen.size()))].entry.bytes());
        fs.failRename(faultName, faultCode);
    }

    description = QStringLiteral("files:");
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        description += QStringLiteral("\n  ") + shown(it.key()) + QStringLiteral(" = ") +
                       QString::fromUtf8(it.value());
    for (const QByteArray& r : removed)
        description += QStringLiteral("\n  removed before PROCEED: ") + shown(r);
    description += QStringLiteral("\nrules:");
    for (int t = 0; t < 8; ++t)
        description += QStringLiteral(" %1=\"%2\"").arg(textBoxes[t], rules.texts[t]);
    for (int b = 0; b < 8; ++b)
        description += QStringLiteral(" %1=%2").arg(checkBoxes[b]).arg(rules.boxes[b]);
    description +=
        QStringLiteral("\nfile system: fold case %1, no RENAME_NOREPLACE %2, no links %3")
            .arg(calls.foldCase)
            .arg(calls.refuseNoReplace)
            .arg(calls.refuseLinks);
    if (faultCode)
        description +=
            QStringLiteral("\nfault %1 on %2, answered %3")
                .arg(faultCode)
                .arg(faultName, retryFault ? QStringLiteral("Retry") : QStringLiteral("Ignore"));
    description += QStringLiteral("\nchosen -> preview:");
    for (const Chosen& c : chosen)
        description +=
            QStringLiteral("\n  ") + shown(c.entry.bytes()) + QStringLiteral(" -> ") + c.preview;

    const int faultsBefore = fs.renameFaultsInjected;
    proceed();
    const bool faultHit = fs.renameFaultsInjected > faultsBefore;
    totals.faultsInjected += fs.renameFaultsInjected - faultsBefore;
    totals.faultsIgnored += faultHit && !retryFault;
    fs.clearRenameFaults();
    const QStringList log = lines("lstResult");
    description += QStringLiteral("\nlog:\n  ") + log.join(QStringLiteral("\n  "));

    // Replay the log over the folder as it was, checking each line against it.
    const bool rangeOn = rules.boxes[0] == 1;
    const bool insertOn = rules.boxes[4] == 1;
    const qint16 from = positionOf(rules.texts[0]);
    const qint16 to = positionOf(rules.texts[1]);
    const qint16 insertPos = positionOf(rules.texts[7]);
    const qsizetype insertLength = rules.texts[6].size();
    QList<std::pair<QByteArray, QByteArray>> renamedPairs; // old and new name, in run order
    qsizetype k = 0;
    const auto next = [&](const QString& line) {
        if (k < log.size() && log[k] == line) {
            ++k;
            return true;
        }
        return false;
    };
    const auto q = [](const QString& s) { return u'"' + s + u'"'; };
    for (const Chosen& c : chosen) {
        const QString& old = c.entry.name;
        const QByteArray oldBytes = c.entry.bytes();
        const QString& name = c.preview;
        const QByteArray newBytes = encodePath(name);
        const auto problem = [&](const QString& what) {
            problems.append(shown(oldBytes) + QStringLiteral(" -> ") + name + QStringLiteral(": ") +
                            what);
        };
        if (rangeOn && !(1 <= from && from <= to && to <= old.size())) {
            if (!next(QStringLiteral("Invalid position range: %1 to %2").arg(from).arg(to)))
                problem(QStringLiteral("no line for the invalid range"));
            ++totals.positionLines;
        }
        if (insertOn) {
            // The rules after the insert keep the length, so the new name tells whether the
            // position was beyond the name: then the name is shorter than it.
            if (insertPos < 0 || name.size() < insertPos) {
                if (!next(QStringLiteral("Invalid position index: %1").arg(insertPos)))
                    problem(QStringLiteral("no line for the invalid insert position"));
                ++totals.positionLines;
            } else if (name.size() < insertPos + insertLength) {
                problem(QStringLiteral("the insert rule took no effect"));
            }
        }
        if (name == old || name.isEmpty() || name == u".")
            continue; // left alone, nothing logged

        // The file as the window listed it, if it is still where it was.
        const bool inPlace = disk.contains(oldBytes) &&
                             disk.value(oldBytes) == before.value(oldBytes) &&
                             !removed.contains(oldBytes);
        const auto otherWithNewName = [&] {
            for (auto it = disk.constBegin(); it != disk.constEnd(); ++it)
                if (it.key() != oldBytes && sameSpelling(it.key(), newBytes, calls.foldCase))
                    return true;
            return false;
        };
        // The rename that faulted (the fake fails it before looking for the file) and was
        // answered Ignore logs the failure. Settle it before reading other lines: a "not found"
        // line names only the new name, which a later chosen file may share.
        if (faultHit && !retryFault && encodePath(faultName) == oldBytes) {
            if (!next(QStringLiteral("File ") + q(old) + QStringLiteral(" not renamed: ") +
                      RunTimeError(faultCode).description()))
                problem(QStringLiteral("no line for the ignored failure"));
            continue;
        }
        if (next(QStringLiteral("File ") + q(old) + QStringLiteral(" renamed to ") + q(name))) {
            ++totals.renamed;
            renamedPairs.append({oldBytes, newBytes});
            if (!inPlace)
                problem(QStringLiteral("renamed, but the chosen file was not there to rename"));
            else if (otherWithNewName())
                problem(QStringLiteral("renamed onto another entry"));
            const QByteArray content = disk.take(oldBytes);
            disk.insert(newBytes, content);
        } else if (next(QStringLiteral("File ") + q(old) + QStringLiteral(" already exist"))) {
            ++totals.exists;
            if (!inPlace)
                problem(QStringLiteral("\"already exist\", but the file itself is gone"));
            if (!otherWithNewName())
                problem(QStringLiteral("\"already exist\", but no other entry has the name"));
        } else if (next(QStringLiteral("File ") + name + QStringLiteral(" not found"))) {
            ++totals.notFound;
            if (inPlace)
                problem(QStringLiteral("\"not found\", but the file is there"));
        } else if (next(QStringLiteral("Bad file name ") + name)) {
            ++totals.badNames;
            if (!isBadName(name))
                problem(QStringLiteral("\"Bad file name\" for a valid name"));
        } else {
            problem(QStringLiteral("no outcome line"));
        }
    }
    if (k != log.size())
        problems.append(QStringLiteral("log lines left over from line %1").arg(k + 1));

    // The disk is what the log says: nothing lost, nothing overwritten, nothing else moved.
    const QMap<QByteArray, QByteArray> after = readEntries(caseFolder.path());
    if (after != disk) {
        QString d = QStringLiteral("the disk differs from the log's account; on disk:");
        for (auto it = after.constBegin(); it != after.constEnd(); ++it)
            d += QStringLiteral("\n  ") + shown(it.key()) + QStringLiteral(" = ") +
                 QString::fromUtf8(it.value());
        problems.append(d);
    }
    QList<QByteArray> contentsBefore = before.values();
    QList<QByteArray> contentsAfter = after.values();
    std::sort(contentsBefore.begin(), contentsBefore.end());
    std::sort(contentsAfter.begin(), contentsAfter.end());
    if (contentsBefore != contentsAfter)
        problems.append(QStringLiteral("a content was lost or doubled"));

    // The refreshed chosen list holds the folder's files as they now are.
    QSet<QByteArray> listed;
    for (const FileEntry& e : choice->entries())
        listed.insert(e.bytes());
    QSet<QByteArray> files;
    for (auto it = after.constBegin(); it != after.constEnd(); ++it)
        if (it.value() != folderMark && !it.key().startsWith('.'))
            files.insert(it.key());
    if (listed != files)
        problems.append(QStringLiteral("the chosen list does not hold the folder's files"));

    // Undo, then redo, now and then with another program changing the folder before each: it
    // moves a file away, puts an unrelated file in its place, or takes the name a file is to
    // get. A step that leaves files waiting is followed by one more the same way, now and then
    // after the names they wait for were freed.
    enum State { Done, Undone, LetGo };
    QList<std::pair<QByteArray, QByteArray>> pairs = renamedPairs;
    QList<State> states(pairs.size(), Done);
    QSet<QByteArray> replaced;   // names under which another file now stands
    QList<QByteArray> newcomers; // names taken by the other program
    bool meddledSoFar = false;
    bool undo = true;
    const QString header = QStringLiteral(" of the renames in \"") + caseFolder.path() + u'"';
    for (int round = 0; round < 4; ++round) {
        if (!states.contains(undo ? Done : Undone))
            break; // no entry in the history: its top is an earlier case's
        const QString step = undo ? QStringLiteral("undo") : QStringLiteral("redo");
        QMap<QByteArray, QByteArray> expected = readEntries(caseFolder.path());
        const QString at = caseFolder.path() + u'/';
        if (!newcomers.isEmpty() && random.chance(0.6)) { // the names waited for are freed
            for (const QByteArray& n : std::as_const(newcomers))
                if (::unlink((encodePath(at) + n).constData()) == 0)
                    expected.remove(n);
            newcomers.clear();
        }
        const bool meddled = random.chance(0.3);
        meddledSoFar = meddledSoFar || meddled;
        QList<qsizetype> movable;
        for (qsizetype i = 0; i < pairs.size(); ++i)
            if (states[i] == (undo ? Done : Undone))
                movable.append(i);
        if (meddled && !movable.isEmpty()) {
            const auto& [oldName, newName] = pairs[movable[random.below(int(movable.size()))]];
            const QByteArray& gone = undo ? newName : oldName;
            const QByteArray& taken = undo ? oldName : newName;
            const int how = random.below(3);
            if (how < 2 && expected.contains(gone) && expected.value(gone) != folderMark) {
                // renamed away, or put in the place of the file, under a name no rule gives
                const QByteArray other = "other " + QByteArray::number(totals.cases);
                if (how == 0) {
                    ::rename((encodePath(at) + gone).constData(),
                             (encodePath(at) + other).constData());
                    expected.insert(other, expected.take(gone));
                } else if (createEntry(caseFolder.path(), other, "unrelated")) {
                    ::rename((encodePath(at) + other).constData(),
                             (encodePath(at) + gone).constData());
                    expected.insert(gone, "unrelated");
                    replaced.insert(gone);
                }
            } else if (!std::any_of(expected.keyBegin(), expected.keyEnd(),
                                    [&](const QByteArray& n) {
                                        return sameSpelling(n, taken, calls.foldCase);
                                    }) &&
                       createEntry(caseFolder.path(), taken, "newcomer")) {
                expected.insert(taken, "newcomer");
                newcomers.append(taken);
            }
            ++totals.meddled;
        }
        const QMap<QByteArray, QByteArray> start = expected;
        // The model: each file the step may move, in the step's order, from the name it has to
        // the name it gets, only while that name holds it, never onto another entry.
        QStringList expectedLog{(undo ? QStringLiteral("Undo") : QStringLiteral("Redo")) + header};
        const auto display = [](const QByteArray& b) {
            return decodeFileName(b.constData(), b.size()).name;
        };
        int waiting = 0, moved = 0;
        for (qsizetype n = 0; n < pairs.size(); ++n) {
            const qsizetype i = undo ? pairs.size() - 1 - n : n;
            if (states[i] != (undo ? Done : Undone))
                continue;
            const QByteArray& has = undo ? pairs[i].second : pairs[i].first;
            const QByteArray& gets = undo ? pairs[i].first : pairs[i].second;
            const bool taken =
                std::any_of(expected.keyBegin(), expected.keyEnd(), [&](const QByteArray& n) {
                    return n != has && sameSpelling(n, gets, calls.foldCase);
                });
            if (!expected.contains(has) || expected.value(has) == folderMark) {
                expectedLog.append(QStringLiteral("File ") + display(has) +
                                   QStringLiteral(" not found"));
                states[i] = LetGo;
            } else if (replaced.contains(has)) {
                expectedLog.append(QStringLiteral("File ") + q(display(has)) +
                                   QStringLiteral(" is not the file renamed; left alone"));
                states[i] = LetGo;
            } else if (taken) {
                expectedLog.append(QStringLiteral("File ") + q(display(has)) +
                                   QStringLiteral(" already exist"));
                ++waiting;
            } else {
                expectedLog.append(QStringLiteral("File ") + q(display(has)) +
                                   QStringLiteral(" renamed to ") + q(display(gets)));
                expected.insert(gets, expected.take(has));
                states[i] = undo ? Undone : Done;
                ++moved;
            }
        }
        if (waiting > 0)
            expectedLog.append((undo ? QStringLiteral("Files not taken back: %1 (Undo tries them "
                                                      "again)")
                                     : QStringLiteral("Files not renamed again: %1 (Redo tries "
                                                      "them again)"))
                                   .arg(waiting));
        get<QAction>(undo ? "mnuPopUplstResultUndo" : "mnuPopUplstResultRedo")->trigger();
        const QMap<QByteArray, QByteArray> now = readEntries(caseFolder.path());
        description += u'\n' + step + QStringLiteral(" log:\n  ") +
                       lines("lstResult").join(QStringLiteral("\n  "));
        if (lines("lstResult") != expectedLog)
            problems.append(step + QStringLiteral(": the log differs from the model's:\n  ") +
                            expectedLog.join(QStringLiteral("\n  ")));
        if (now != expected)
            problems.append(step + QStringLiteral(": the disk differs from the model's"));
        if (!meddledSoFar && now != (undo ? before : after))
            problems.append(step + QStringLiteral(": the disk is not as it was"));
        QList<QByteArray> a = start.values(), b = now.values();
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        if (a != b)
            problems.append(step + QStringLiteral(": a content was lost or doubled"));
        totals.undone += undo ? moved : 0;
        totals.redone += undo ? 0 : moved;
        totals.waited += waiting;
        if (waiting == 0)
            undo = !undo; // else the same way again
        else
            meddledSoFar = true; // the disk is as the waiting files left it
    }
    if (window.end.ends != 0)
        problems.append(QStringLiteral("the program was ended"));
    ++totals.cases;
    return problems;
}

TEST_F(PropertyTest, ProceedKeepsEveryFileAndLogsOnlyTheTruth)
{
    Totals totals;
    runCases(600, [&](quint64 seed, QString& description) {
        return runCase(seed, totals, description);
    });
    std::cout << totals.cases << " cases (" << totals.foldingCases << " folding case, "
              << totals.fallbackCases << " without RENAME_NOREPLACE), " << totals.files
              << " chosen files: " << totals.renamed << " renamed, " << totals.exists
              << " already existing, " << totals.notFound << " not found, " << totals.badNames
              << " bad names, " << totals.positionLines << " position lines; "
              << totals.removedBeforeProceed << " removed before PROCEED, " << totals.faultsInjected
              << " rename faults injected (" << totals.faultsIgnored << " ignored), "
              << totals.overflowReports << " overflow reports; undo renamed back " << totals.undone
              << " files, redo renamed " << totals.redone << " again, " << totals.meddled
              << " times after another program changed the folder, " << totals.waited
              << " files waiting for the next step\n";
}

// Found by the test above: a chosen file removed behind the window's back leaves its name free,
// an earlier file of the run is renamed onto it, and the run must not rename that file again.
TEST_F(PropertyTest, AFileTakingTheNameOfAVanishedChosenFileIsNotRenamedAgain)
{
    for (const bool foldCase : {false, true}) {
        SCOPED_TRACE(foldCase ? "case-insensitive" : "case-sensitive");
        calls.foldCase = foldCase;
        const QString vanished = foldCase ? QStringLiteral("XA.mp3") : QStringLiteral("xa.mp3");
        const QString sub = foldCase ? QStringLiteral("folding") : QStringLiteral("plain");
        folder.file(sub + QStringLiteral("/a.mp3"), "first");
        folder.file(sub + u'/' + vanished, "second");
        showFolder(sub);
        text("txtAdd")->setText(QStringLiteral("x"));
        text("txtAft")->setText(QStringLiteral("0"));
        check("chkAdd")->setValue(1);
        ASSERT_EQ(lines("lstPreview"), (QStringList{QStringLiteral("xa.mp3"), u'x' + vanished}));
        folder.remove(sub + u'/' + vanished);
        proceed();
        EXPECT_EQ(
            lines("lstResult"),
            (QStringList{QStringLiteral("File \"a.mp3\" renamed to \"xa.mp3\""),
                         QStringLiteral("File x") + vanished + QStringLiteral(" not found")}));
        EXPECT_EQ(folder.names(sub), QStringList{QStringLiteral("xa.mp3")});
        EXPECT_EQ(folder.read(sub + QStringLiteral("/xa.mp3")), "first");
        EXPECT_TRUE(window.box.errors.isEmpty());
    }
}
