// Random folders and rules: what the prediction says PROCEED will do with each chosen file is
// what PROCEED then does with it on a real folder, renaming as the window does, file by file.
//
// TESSALY_PROPERTY_SEED repeats a run (its seed is printed), TESSALY_PROPERTY_CASES sets the
// number of cases, TESSALY_PROPERTY_ONLY runs one case of the seed.
#include "engine/prediction.h"
#include "engine/renamehistory.h"
#include "engine/renamerun.h"
#include "enginesupport.h"
#include "playedcalls.h"
#include "randomcases.h"
#include "tempfolder.h"
#include "testsupport.h"

#include <algorithm>
#include <iostream>
#include <QSet>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr int defaultCases = 2000;

// Few pieces, so that names meet once the rules have run.
const char* const fewPieces[] = {"a", "A", "b", "_", "1", "é", "É"};
const char* const suffixes[] = {".mp3", ".mp3", ".mp3", ".MP3", ".txt", ""};
// Rule texts that make names empty, invalid or dots, or bring them together.
const char* const specialTexts[] = {"", "", "/", ".", "..", "mp3", "a_"};

const char* const predictionNames[] = {"left alone", "renamed", "name exists", "name given twice",
                                       "bad name"};
const char* const outcomeNames[] = {"left alone", "renamed",  "name exists",
                                    "not found",  "bad name", "failed, ignored"};

// What PROCEED must do with a file the prediction foretold.
FileOutcome foretold(Prediction::Outcome p)
{
    switch (p) {
    case Prediction::LeftAlone:
        return FileOutcome::LeftAlone;
    case Prediction::Renamed:
        return FileOutcome::Renamed;
    case Prediction::NameExists:
    case Prediction::NameGivenTwice:
        return FileOutcome::NameExists;
    case Prediction::BadName:
        break;
    }
    return FileOutcome::BadName;
}

struct Tally {
    int cases = 0, folding = 0, fallback = 0, files = 0, notUtf8 = 0, positions = 0;
    int outcomes[5] = {}; // by Prediction::Outcome
};

QString ruleText(Random& random)
{
    if (random.chance(0.05))
        return random.pieceText(3); // the rarer pieces
    if (random.chance(0.02))
        return QString(260, u'x'); // a name too long
    return QString::fromUtf8(random.chance(1.0 / 3) ? random.pick(specialTexts)
                                                    : random.pick(fewPieces));
}

RenameRules randomRules(Random& random)
{
    RenameRules rules;
    // Mostly positions that fit, sometimes ones that do not.
    rules.rangeFrom = qint16(random.chance(0.8) ? 1 + random.below(3) : random.below(10) - 1);
    rules.rangeTo =
        qint16(random.chance(0.8) ? rules.rangeFrom + random.below(3) : random.below(10) - 1);
    rules.insertPos = qint16(random.chance(0.8) ? random.below(3) : random.below(11) - 1);
    for (QString* text : {&rules.rangeWith, &rules.replaceFind, &rules.replaceWith,
                          &rules.eraseText, &rules.insertText})
        *text = ruleText(random);
    // One to three rules: with more, names drift too far apart to meet.
    bool* const on[] = {&rules.rangeOn,      &rules.replaceOn,    &rules.eraseOn,
                        &rules.insertOn,     &rules.capitalizeOn, &rules.upperSuffixOn,
                        &rules.lowerSuffixOn};
    for (int k = 1 + random.below(3); k > 0; --k)
        *random.pick(on) = true;
    rules.allMatches = random.chance(0.5);
    return rules;
}

QString describe(const RenameRules& r)
{
    QString out;
    const auto add = [&](bool on, const QString& what) {
        if (on)
            out += u' ' + what;
    };
    add(r.rangeOn,
        QStringLiteral("range %1-%2 \"%3\"").arg(r.rangeFrom).arg(r.rangeTo).arg(r.rangeWith));
    add(r.replaceOn, QStringLiteral("replace \"%1\" \"%2\"").arg(r.replaceFind, r.replaceWith));
    add(r.eraseOn, QStringLiteral("erase \"%1\"").arg(r.eraseText));
    add(r.insertOn, QStringLiteral("insert \"%1\" at %2").arg(r.insertText).arg(r.insertPos));
    add(r.capitalizeOn, QStringLiteral("capitalize"));
    add(r.upperSuffixOn, QStringLiteral("upper suffix"));
    add(r.lowerSuffixOn, QStringLiteral("lower suffix"));
    add(r.allMatches, QStringLiteral("(all matches)"));
    return out;
}

// A folder whose entries know each other's names as the file system compares them.
class Folder {
public:
    explicit Folder(bool foldCase) : m_foldCase(foldCase) {}
    const QString& path() const { return m_folder.path(); }
    // Adds an entry unless the folder has the name already.
    void add(const QByteArray& name, const QByteArray& content)
    {
        const QString key = decodePath(name);
        if (!m_keys.contains(m_foldCase ? key.toCaseFolded() : key) &&
            createEntry(path(), name, content))
            m_keys.insert(m_foldCase ? key.toCaseFolded() : key);
    }

private:
    TempFolder m_folder;
    bool m_foldCase;
    QSet<QString> m_keys;
};

// A few entries whose names are likely to meet once the rules have run: one or two stems, each
// with a piece before or after it now and then, like "a.mp3", "a_.mp3" and "1a.MP3", which
// rules such as "erase _" bring together. Now and then a hidden file or a subfolder, and on a
// case-sensitive folder a name in Latin-1, as old collections have.
void fill(Folder& folder, Random& random, bool foldCase)
{
    const QString stems[] = {QString::fromUtf8(random.pick(fewPieces)),
                             QString::fromUtf8(random.pick(fewPieces)) +
                                 QString::fromUtf8(random.pick(fewPieces))};
    const auto name = [&] {
        QString n = random.pick(stems);
        if (random.chance(0.4))
            n.append(QString::fromUtf8(random.pick(fewPieces)));
        if (random.chance(0.3))
            n.prepend(QString::fromUtf8(random.pick(fewPieces)));
        return n + QString::fromUtf8(random.pick(suffixes));
    };
    for (int n = 3 + random.below(10); n > 0; --n) {
        QString entry = name();
        if (random.chance(0.1))
            entry.prepend(u'.');
        folder.add(entry.toUtf8(), random.chance(0.1) ? folderMark : entry.toUtf8());
    }
    if (!foldCase && random.chance(0.2)) {
        QByteArray latin1 = name().toUtf8().replace("é", "\xe9").replace("É", "\xc9");
        if (!latin1.contains('\xe9') && !latin1.contains('\xc9'))
            latin1.prepend("caf\xe9 ");
        folder.add(latin1, "latin1");
    }
}

QStringList runCase(quint64 seed, QString& description, Tally& tally)
{
    Random random(seed);
    PlayedCalls calls;
    calls.foldCase = random.chance(0.4);
    calls.refuseNoReplace = random.chance(0.25);
    calls.refuseLinks = calls.refuseNoReplace && random.chance(0.5);
    PosixFileSystem fs(calls);
    Folder folder(calls.foldCase);
    fill(folder, random, calls.foldCase);
    const RenameRules rules = randomRules(random);

    // The folder's files in name order (whatever order the folder gives them), some of them
    // left out of the run.
    QList<FileEntry> files = fs.listing(folder.path()).files;
    std::sort(files.begin(), files.end(),
              [](const FileEntry& a, const FileEntry& b) { return a.bytes() < b.bytes(); });
    QList<FileEntry> chosen;
    for (const FileEntry& file : files)
        if (random.chance(0.8))
            chosen.append(file);

    FakeMessageBox box;
    FakeProgramEnd end;
    RunErrorReport report(box, end);
    QList<FileEntry> lines;
    std::vector<PositionFaults> faults;
    previewFiles(rules, chosen,
                 {[&](const QString& line) {
                      lines.append({line, {}});
                  },
                  [&](PositionFaults f) { faults.push_back(f); }},
                 report);

    // Files under some of the new names, so that names are taken and chains form: one file's
    // new name is another's old name.
    if (random.chance(0.5))
        for (const FileEntry& line : lines)
            if (checkNewName(line.name).valid && !line.name.startsWith(u'.') && random.chance(0.5))
                folder.add(line.name.toUtf8(), "taken: " + line.name.toUtf8());

    const FolderListing listing = fs.listing(folder.path());
    std::vector<Prediction> predicted;
    QStringList log;
    QStringList problems;
    // What a failing case tells, to be repeated with its seed.
    const auto failed = [&] {
        description =
            QStringLiteral("file system: fold case %1, no RENAME_NOREPLACE %2, no links %3")
                .arg(calls.foldCase)
                .arg(calls.refuseNoReplace)
                .arg(calls.refuseLinks);
        description += QStringLiteral("\nentries:");
        for (qsizetype i = 0; i < listing.names.size(); ++i)
            description += QStringLiteral("\n  ") + listing.names.spelling(i);
        description += QStringLiteral("\nrules:") + describe(rules);
        description += QStringLiteral("\nchosen -> preview, predicted:");
        for (qsizetype i = 0; i < chosen.size(); ++i)
            description +=
                QStringLiteral("\n  %1 -> %2, %3")
                    .arg(shown(chosen[i].bytes()), lines.value(i).name,
                         size_t(i) < predicted.size()
                             ? QString::fromLatin1(predictionNames[predicted[size_t(i)].outcome])
                             : QString());
        description += QStringLiteral("\nlog:\n  ") + log.join(QStringLiteral("\n  "));
        return problems;
    };
    if (lines.size() != chosen.size() || faults.size() != size_t(chosen.size())) {
        problems.append(QStringLiteral("the preview has %1 lines for %2 files")
                            .arg(lines.size())
                            .arg(chosen.size()));
        return failed();
    }
    predictOutcomes(listing.names, chosen, lines, faults,
                    [&](qsizetype, const Prediction& p) { predicted.push_back(p); });

    // PROCEED, renaming as the window does.
    struct Done {
        FileOutcome outcome;
        bool rangeLogged = false;
        bool insertLogged = false;
    };
    std::vector<Done> done(1, {FileOutcome::LeftAlone});
    ListLog proceedLog(log, [&](const QString& line) {
        done.back().rangeLogged |= line.startsWith(u"Invalid position range: ");
        done.back().insertLogged |= line.startsWith(u"Invalid position index: ");
    });
    RenameHistory history;
    RenameOperation rename({fs, report, proceedLog, history}, folder.path(), chosen.size(),
                           RenameOperation::Record::NewHistoryEntry,
                           [&] { return listing.names.foldsCase(); });
    proceedFiles(rules, chosen, rename, [&](FileOutcome outcome) {
        done.back().outcome = outcome;
        done.push_back({FileOutcome::LeftAlone});
    });
    done.pop_back(); // the file after the last
    if (!box.errors.isEmpty())
        problems.append(QStringLiteral("an error report: ") + box.errors[0].text);
    if (done.size() != size_t(chosen.size())) {
        problems.append(QStringLiteral("PROCEED told %1 outcomes for %2 files")
                            .arg(done.size())
                            .arg(chosen.size()));
        return failed();
    }
    ++tally.cases;
    tally.folding += calls.foldCase;
    tally.fallback += calls.refuseNoReplace;
    tally.files += int(chosen.size());
    for (const FileEntry& file : chosen)
        tally.notUtf8 += file.notUtf8;
    for (size_t i = 0; i < done.size(); ++i) {
        const Prediction& p = predicted[i];
        const auto problem = [&](const QString& what) {
            problems.append(shown(chosen[qsizetype(i)].bytes()) + QStringLiteral(" -> ") +
                            lines[qsizetype(i)].name + QStringLiteral(": ") + what);
        };
        ++tally.outcomes[p.outcome];
        tally.positions += p.positions.range + p.positions.insert;
        if (foretold(p.outcome) != done[i].outcome)
            problem(QStringLiteral("predicted %1, PROCEED: %2")
                        .arg(QString::fromLatin1(predictionNames[p.outcome]),
                             QString::fromLatin1(outcomeNames[int(done[i].outcome)])));
        if (p.positions.range != done[i].rangeLogged || p.positions.insert != done[i].insertLogged)
            problem(QStringLiteral("position faults predicted: range %1, index %2; logged: "
                                   "range %3, index %4")
                        .arg(p.positions.range)
                        .arg(p.positions.insert)
                        .arg(done[i].rangeLogged)
                        .arg(done[i].insertLogged));
    }
    return problems.isEmpty() ? problems : failed();
}

} // namespace

TEST(PredictionProperty, TheOutcomesOfProceedAreThoseItsPreviewPredicted)
{
    Tally tally;
    const int ran = runCases(defaultCases, [&](quint64 seed, QString& description) {
        return runCase(seed, description, tally);
    });
    const int* n = tally.outcomes;
    std::cout << tally.cases << " cases (" << tally.folding << " case-insensitive, "
              << tally.fallback << " without RENAME_NOREPLACE), " << tally.files
              << " chosen files (" << tally.notUtf8
              << " not UTF-8), predicted and done: " << n[Prediction::LeftAlone] << " left alone, "
              << n[Prediction::Renamed] << " renamed, " << n[Prediction::NameExists]
              << " names taken, " << n[Prediction::NameGivenTwice] << " given twice, "
              << n[Prediction::BadName] << " bad names; " << tally.positions
              << " position faults\n";
    // A whole run reaches every kind of outcome often enough to mean something.
    if (ran < defaultCases)
        return;
    for (const int seen : {n[Prediction::Renamed], n[Prediction::NameExists],
                           n[Prediction::NameGivenTwice], n[Prediction::BadName], tally.positions})
        EXPECT_GE(seen, 10);
}
