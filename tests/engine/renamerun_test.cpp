#include "core/runtimeerror.h"
#include "engine/renamehistory.h"
#include "engine/renamerun.h"
#include "enginesupport.h"
#include "testsupport.h"

using namespace tessaly;
using namespace tessaly::test;

namespace {

class RenameRun : public ::testing::Test {
protected:
    FakeMessageBox box;
    FakeProgramEnd end;
    QStringList preview;
    QStringList log;
    QList<QPair<QString, QString>> renames;
    // Decides each rename's fate; the default renames every file.
    std::function<void(const FileEntry&, const QString&)> onRename;
    std::function<void(PositionFaults)> previewFaults;
    RenamesOnly fs;
    RenameHistory history;

    RenameRun()
    {
        fs.onRename = [this](const QByteArray& oldBytes, const NewName& newName) {
            const FileEntry old = decodeFileName(oldBytes.constData(), oldBytes.size());
            if (onRename)
                onRename(old, newName.text());
            renames.append({old.name, newName.text()});
        };
    }
    void run(RunMode mode, const RenameRules& rules, const QStringList& names)
    {
        runEntries(mode, rules, entries(names));
    }
    void runEntries(RunMode mode, const RenameRules& rules, const QList<FileEntry>& chosen)
    {
        RunErrorReport report(box, end);
        if (mode == RunMode::Preview) {
            previewFiles(rules, chosen,
                         {[this](const QString& line) { preview.append(line); }, previewFaults},
                         report);
            return;
        }
        ListLog lines(log);
        RenameOperation rename({fs, report, lines, history}, u8("/music"), chosen.size(),
                               RenameOperation::Record::NewHistoryEntry, [] { return false; });
        proceedFiles(rules, chosen, rename);
    }
    void answer(std::initializer_list<MessageBoxService::Answer> answers) { box.answers = answers; }
    QStringList errorNumbers() const
    {
        QStringList numbers;
        for (const auto& shown : box.errors)
            numbers.append(shown.text.split(u8("\r\n")).value(2));
        return numbers;
    }
};

QString renamed(const char* from, const char* to)
{
    return u8("File \"") + u8(from) + u8("\" renamed to \"") + u8(to) + u8("\"");
}

} // namespace

TEST_F(RenameRun, AppliesTheRulesInTheirFixedOrder)
{
    // Each rule's input carries traces of the one before it, so any other order differs:
    // the range brings "_" for the replace, the replace brings "e" for the erase, the erase
    // shortens the name to make the insert position valid, the insert brings a word for the
    // capitals, and the lower suffix comes last.
    const Rules rules = Rules()
                            .range(1, 3, u8("q_r"))
                            .replace(u8("_"), u8(" e "))
                            .erase(u8("E"))
                            .all()
                            .insert(11, u8("e.wav"))
                            .capitalize()
                            .upperSuffix()
                            .lowerSuffix();

    run(RunMode::Preview, rules, {u8("abc_x.MP3")});
    EXPECT_EQ(preview, QStringList{u8("Q  R  X.Mp3e.wav")});
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(renames.isEmpty());

    preview.clear();
    run(RunMode::Proceed, rules, {u8("abc_x.MP3")});
    EXPECT_TRUE(preview.isEmpty());
    EXPECT_EQ(log, QStringList{renamed("abc_x.MP3", "Q  R  X.Mp3e.wav")});
    EXPECT_EQ(renames, (QList<QPair<QString, QString>>{{u8("abc_x.MP3"), u8("Q  R  X.Mp3e.wav")}}));
    EXPECT_TRUE(box.errors.isEmpty());
}

TEST_F(RenameRun, ReplaceAndEraseActOnTheFirstMatchUnlessAllMatches)
{
    Rules rules = Rules().replace(u8("_"), u8(" ")).erase(u8("x"));
    run(RunMode::Preview, rules, {u8("a_b_cxx")});
    run(RunMode::Preview, rules.all(), {u8("a_b_cxx")});
    EXPECT_EQ(preview, (QStringList{u8("a b_cx"), u8("a b c")}));
}

TEST_F(RenameRun, PreviewWithoutRulesListsEveryNameUnchanged)
{
    run(RunMode::Preview, RenameRules{}, {u8("b.mp3"), u8("a.mp3"), u8(""), u8("a.mp3")});
    EXPECT_EQ(preview, (QStringList{u8("b.mp3"), u8("a.mp3"), u8(""), u8("a.mp3")}));
    EXPECT_TRUE(log.isEmpty());

    preview.clear();
    run(RunMode::Proceed, RenameRules{}, {u8("b.mp3"), u8("a.mp3")});
    EXPECT_TRUE(preview.isEmpty());
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(renames.isEmpty());
}

TEST_F(RenameRun, InvalidRangeIsLoggedPerFileInProceedAndSilentInPreview)
{
    const Rules rules = Rules().range(5, 3, u8("X")).upperSuffix();
    const QStringList names = {u8("a.mp3"), u8("b.MP3"), u8("c.mp3")};

    run(RunMode::Preview, rules, names);
    EXPECT_EQ(preview, (QStringList{u8("a.MP3"), u8("b.MP3"), u8("c.MP3")}));
    EXPECT_TRUE(log.isEmpty());

    run(RunMode::Proceed, rules, names);
    const QString invalid = u8("Invalid position range: 5 to 3");
    EXPECT_EQ(log, (QStringList{invalid, renamed("a.mp3", "a.MP3"), invalid, invalid,
                                renamed("c.mp3", "c.MP3")}));
}

TEST_F(RenameRun, RangeMustLieWithinTheName)
{
    struct {
        qint16 from, to;
        const char* result; // nullptr: invalid
    } cases[] = {
        {1, 7, "X"},      {1, 8, nullptr}, {7, 7, "abc.mpX"}, {0, 1, nullptr},
        {-2, 3, nullptr}, {3, 2, nullptr}, {2, 2, "aXc.mp3"}, {-32768, -32768, nullptr},
    };
    for (const auto& c : cases) {
        const Rules rules = Rules().range(c.from, c.to, u8("X"));
        preview.clear();
        log.clear();
        run(RunMode::Preview, rules, {u8("abc.mp3")});
        EXPECT_EQ(preview, QStringList{u8(c.result ? c.result : "abc.mp3")})
            << c.from << " " << c.to;
        run(RunMode::Proceed, rules, {u8("abc.mp3")});
        if (c.result) {
            EXPECT_EQ(log, QStringList{renamed("abc.mp3", c.result)}) << c.from << " " << c.to;
        } else {
            EXPECT_EQ(log,
                      QStringList{u8("Invalid position range: %1 to %2").arg(c.from).arg(c.to)})
                << c.from << " " << c.to;
        }
    }
    EXPECT_TRUE(box.errors.isEmpty());
}

TEST_F(RenameRun, InsertPositionIsCheckedAgainstTheNameAfterTheEarlierRules)
{
    struct {
        qint16 pos;
        const char* result; // nullptr: invalid
    } cases[] = {
        {0, "+ab.mp3"}, {6, "ab.mp3+"}, {2, "ab+.mp3"}, {7, nullptr}, {-1, nullptr},
    };
    for (const auto& c : cases) {
        // "a_b.mp3" -> "ab.mp3", 6 characters
        const Rules rules = Rules().erase(u8("_")).insert(c.pos, u8("+"));
        preview.clear();
        log.clear();
        run(RunMode::Preview, rules, {u8("a_b.mp3")});
        EXPECT_EQ(preview, QStringList{u8(c.result ? c.result : "ab.mp3")}) << c.pos;
        run(RunMode::Proceed, rules, {u8("a_b.mp3")});
        QStringList expected;
        if (!c.result)
            expected.append(u8("Invalid position index: %1").arg(c.pos));
        expected.append(renamed("a_b.mp3", c.result ? c.result : "ab.mp3"));
        EXPECT_EQ(log, expected) << c.pos;
    }
}

TEST_F(RenameRun, ProceedSkipsUnchangedEmptyAndDotNamesButRenamesCaseChanges)
{
    const Rules rules = Rules().upperSuffix().erase(u8("x")).all();
    const QStringList names = {u8("song.mp3"), u8("same.MP3"), u8("xxx"), u8("x.x"), u8(".")};

    run(RunMode::Preview, rules, names);
    EXPECT_EQ(preview, (QStringList{u8("song.MP3"), u8("same.MP3"), u8(""), u8("."), u8(".")}));

    run(RunMode::Proceed, rules, names);
    EXPECT_EQ(log, QStringList{renamed("song.mp3", "song.MP3")});
    EXPECT_EQ(renames, (QList<QPair<QString, QString>>{{u8("song.mp3"), u8("song.MP3")}}));
}

TEST_F(RenameRun, EmptiedNameShowsAsAnEmptyPreviewLineAndIsNotRenamed)
{
    const Rules rules = Rules().range(1, 7);
    run(RunMode::Preview, rules, {u8("abc.mp3")});
    EXPECT_EQ(preview, QStringList{QString()});
    run(RunMode::Proceed, rules, {u8("abc.mp3")});
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(renames.isEmpty());
}

TEST_F(RenameRun, RenameOutcomesAreLoggedAndTheRunGoesOn)
{
    onRename = [](const FileEntry& old, const QString&) {
        if (old.name == u8("a.mp3"))
            throw RunTimeError(ErrorCode::FileExists);
        if (old.name == u8("b.mp3"))
            throw RunTimeError(ErrorCode::FileNotFound);
        if (old.name == u8("c.mp3"))
            throw RunTimeError(ErrorCode::BadFileName, u8("any text"));
    };
    const Rules rules = Rules().upperSuffix();
    run(RunMode::Proceed, rules, {u8("a.mp3"), u8("b.mp3"), u8("c.mp3"), u8("d.mp3")});
    EXPECT_EQ(log, (QStringList{u8("File \"a.mp3\" already exist"), u8("File b.MP3 not found"),
                                u8("Bad file name c.MP3"), renamed("d.mp3", "d.MP3")}));
    EXPECT_TRUE(box.errors.isEmpty());
}

TEST_F(RenameRun, RenameGetsTheChosenEntryWithItsOriginalBytes)
{
    const QByteArray latin1 = QByteArray("caf\xe9.mp3");
    const FileEntry entry = decodeFileName(latin1.constData(), latin1.size());
    runEntries(RunMode::Proceed, Rules().upperSuffix(), {entry});
    ASSERT_EQ(fs.renames.size(), 1);
    EXPECT_EQ(fs.renames[0].first, latin1);
    EXPECT_EQ(log, QStringList{u8("File \"caf\u00e9.mp3\" renamed to \"caf\u00e9.MP3\"")});
}

TEST_F(RenameRun, RetryAtTheRenameTriesItAgain)
{
    int attempts = 0;
    onRename = [&](const FileEntry&, const QString&) {
        if (++attempts == 1)
            throw RunTimeError(ErrorCode::PermissionDenied);
    };
    answer({MessageBoxService::Retry});
    const Rules rules = Rules().upperSuffix();
    run(RunMode::Proceed, rules, {u8("a.mp3")});
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(errorNumbers(), QStringList{u8("Error Number = 70")});
    EXPECT_EQ(log, QStringList{renamed("a.mp3", "a.MP3")});
}

TEST_F(RenameRun, RetryAtTheRenameCanEndInAnOutcome)
{
    int attempts = 0;
    onRename = [&](const FileEntry&, const QString&) {
        throw RunTimeError(++attempts == 1 ? ErrorCode::DeviceIO : ErrorCode::FileExists);
    };
    answer({MessageBoxService::Retry});
    const Rules rules = Rules().upperSuffix();
    run(RunMode::Proceed, rules, {u8("a.mp3")});
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(log, QStringList{u8("File \"a.mp3\" already exist")});
}

TEST_F(RenameRun, IgnoreAtTheRenameGoesOnWithTheNextFileWithoutClaimingSuccess)
{
    onRename = [](const FileEntry& old, const QString&) {
        if (old.name == u8("a.mp3"))
            throw RunTimeError(ErrorCode::PermissionDenied);
    };
    answer({MessageBoxService::Ignore});
    const Rules rules = Rules().upperSuffix();
    run(RunMode::Proceed, rules, {u8("a.mp3"), u8("b.mp3")});
    EXPECT_EQ(errorNumbers(), QStringList{u8("Error Number = 70")});
    EXPECT_EQ(log, QStringList{renamed("b.mp3", "b.MP3")});
}

TEST_F(RenameRun, RetryAndIgnoreAtAFailingNameEdit)
{
    // A replacement this long overflows the edit's 16-bit arithmetic on every call.
    const Rules rules = Rules().replace(u8("a"), QString(32770, u'z')).erase(u8("b"));
    answer({MessageBoxService::Retry, MessageBoxService::Ignore, MessageBoxService::Ignore});
    run(RunMode::Preview, rules, {u8("ab.mp3"), u8("cb.mp3")});
    // Retry repeats the same call and fails the same way; Ignore keeps the name as it was
    // and goes on with the next rule.
    EXPECT_EQ(errorNumbers(), (QStringList{u8("Error Number = 6"), u8("Error Number = 6"),
                                           u8("Error Number = 6")}));
    EXPECT_EQ(preview, (QStringList{u8("a.mp3"), u8("c.mp3")}));
}

TEST_F(RenameRun, FailingRangeEditIsReportedAndIgnoredInProceed)
{
    // A valid range that ends at 32767: the position behind it overflows.
    const Rules rules = Rules().range(1, 32767).upperSuffix();
    const QString name = QString(32763, u'n') + u8(".mp3");
    answer({MessageBoxService::Ignore});
    run(RunMode::Proceed, rules, {name});
    EXPECT_EQ(errorNumbers(), QStringList{u8("Error Number = 6")});
    EXPECT_EQ(renames.size(), 1);
    EXPECT_EQ(renames.value(0).second, QString(32763, u'n') + u8(".MP3"));
}

TEST_F(RenameRun, APreviewOfManyFilesReportsEachFailureInItsTurn)
{
    // Enough files for the preview to share its work with a second thread, and names whose
    // range edit overflows in both halves: each report comes when the lines before it are in.
    const Rules rules = Rules().range(1, 32767).upperSuffix();
    QStringList names;
    for (int i = 0; i < 6000; ++i)
        names.append(QString::number(i) + u8(".mp3"));
    const QString failing = QString(32763, u'n') + u8(".mp3");
    for (const int k : {10, 4000, 5999})
        names[k] = failing;
    QList<qsizetype> linesWhenShown;
    box.whileShown = [&] { linesWhenShown.append(preview.size()); };
    answer({MessageBoxService::Ignore, MessageBoxService::Retry, MessageBoxService::Ignore,
            MessageBoxService::Ignore});
    run(RunMode::Preview, rules, names);
    EXPECT_EQ(linesWhenShown, (QList<qsizetype>{10, 4000, 4000, 5999}));
    ASSERT_EQ(preview.size(), 6000);
    for (const int k : {0, 2999, 3000, 3999, 4001})
        EXPECT_EQ(preview[k], QString::number(k) + u8(".MP3"));
    for (const int k : {10, 4000, 5999})
        EXPECT_EQ(preview[k], QString(32763, u'n') + u8(".MP3"));
}

TEST_F(RenameRun, AProceedOfManyFilesLogsAndReportsEachFileInItsTurn)
{
    // The names worked out ahead of the renames: the position lines, the reports and the
    // renames come file by file, as without.
    const Rules rules = Rules().range(1, 32767).insert(6, u8("_"));
    QStringList names;
    for (int i = 0; i < 3000; ++i)
        names.append(QString::number(i) + u8(".mp3"));
    const QString failing = QString(32763, u'n') + u8(".mp3");
    names[2000] = failing;
    QList<qsizetype> logWhenShown;
    box.whileShown = [&] { logWhenShown.append(log.size()); };
    answer({MessageBoxService::Ignore});
    run(RunMode::Proceed, rules, names);
    QStringList expected;
    qsizetype linesBeforeFailing = 0;
    for (int i = 0; i < 3000; ++i) {
        const QString name = names[i];
        if (name == failing)
            linesBeforeFailing = expected.size(); // its range edit fails: no range line
        else
            expected.append(u8("Invalid position range: 1 to 32767"));
        if (name.size() < 6) {
            expected.append(u8("Invalid position index: 6"));
            continue; // no rule changed it: left alone
        }
        expected.append(renamed(name.toUtf8().constData(),
                                (name.left(6) + u8("_") + name.mid(6)).toUtf8().constData()));
    }
    EXPECT_EQ(logWhenShown, QList<qsizetype>{linesBeforeFailing});
    EXPECT_EQ(log, expected);
}

TEST_F(RenameRun, OutcomeCodesFromOtherStepsGoToTheReport)
{
    // "File not found" from the log, not from the rename, is a failure like any other.
    answer({MessageBoxService::Ignore, MessageBoxService::Ignore, MessageBoxService::Ignore});
    const Rules rules = Rules().upperSuffix();
    RunErrorReport report(box, end);
    ListLog failingLog(log, [](const QString&) { throw RunTimeError(ErrorCode::FileNotFound); });
    RenameOperation rename({fs, report, failingLog, history}, u8("/music"), 2,
                           RenameOperation::Record::NewHistoryEntry);
    proceedFiles(rules, entries({u8("a.mp3"), u8("b.mp3")}), rename);
    previewFiles(rules, entries({u8("c.mp3")}),
                 {[](const QString&) { throw RunTimeError(ErrorCode::FileExists); }}, report);
    EXPECT_EQ(errorNumbers(), (QStringList{u8("Error Number = 53"), u8("Error Number = 53"),
                                           u8("Error Number = 58")}));
    EXPECT_EQ(renames.size(), 2);
}

TEST_F(RenameRun, AbortEndsTheProgramAndUnwindsTheRun)
{
    onRename = [](const FileEntry&, const QString&) { throw RunTimeError(ErrorCode::DiskFull); };
    answer({MessageBoxService::Abort});
    const Rules rules = Rules().upperSuffix();
    EXPECT_THROW(run(RunMode::Proceed, rules, {u8("a.mp3"), u8("b.mp3")}), RunEnded);
    EXPECT_EQ(end.ends, 1);
    EXPECT_EQ(box.errors.size(), 1);
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(RenameRun, ReportShowsTheFiveLineMessageAfterBeforeShow)
{
    QStringList order;
    box.whileShown = [&] { order.append(u8("box")); };
    RunErrorReport report(box, end, [&] { order.append(u8("flush")); });
    answer({MessageBoxService::Retry, MessageBoxService::Ignore});
    EXPECT_EQ(report.report(RunTimeError(ErrorCode::Overflow)), RunErrorReport::Next::Retry);
    EXPECT_EQ(report.report(RunTimeError(75, u8("No 100% sure: %1"))),
              RunErrorReport::Next::Ignore);
    EXPECT_EQ(order, (QStringList{u8("flush"), u8("box"), u8("flush"), u8("box")}));
    ASSERT_EQ(box.errors.size(), 2);
    EXPECT_EQ(box.errors[0].title, u8("Run-time error"));
    EXPECT_EQ(box.errors[0].text, u8("I'm sorry, Run-time error occured!\r\nDetails:\r\n"
                                     "Error Number = 6\r\nError Description = Overflow\r\n"
                                     "Error Line = 0"));
    EXPECT_EQ(box.errors[1].text, u8("I'm sorry, Run-time error occured!\r\nDetails:\r\n"
                                     "Error Number = 75\r\nError Description = No 100% sure: "
                                     "%1\r\nError Line = 0"));
    EXPECT_EQ(end.ends, 0);
}

TEST(RunStep, RetriesUntilSuccessOrIgnore)
{
    FakeMessageBox box;
    FakeProgramEnd end;
    RunErrorReport report(box, end);
    int calls = 0;
    box.answers = {MessageBoxService::Retry, MessageBoxService::Retry};
    EXPECT_TRUE(runStep(report, [&] {
        if (++calls < 3)
            throw RunTimeError(ErrorCode::PathNotFound);
    }));
    EXPECT_EQ(calls, 3);

    calls = 0;
    box.answers = {MessageBoxService::Retry, MessageBoxService::Ignore};
    EXPECT_FALSE(runStep(report, [&] {
        ++calls;
        throw RunTimeError(ErrorCode::PathNotFound);
    }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(box.errors.size(), 4);
}

TEST_F(RenameRun, CountsBeyondSixteenBits)
{
    QStringList names;
    for (int i = 0; i < 70000; ++i)
        names.append(QString::number(i) + u8(".mp3"));
    const Rules rules = Rules().upperSuffix();
    run(RunMode::Preview, rules, names);
    ASSERT_EQ(preview.size(), 70000);
    EXPECT_EQ(preview.last(), u8("69999.MP3"));
    EXPECT_TRUE(box.errors.isEmpty());
}

TEST_F(RenameRun, PreviewTellsEachFilesPositionFaultsWhereProceedLogsThem)
{
    // The insert check sees the name after the range rule: "abc.mp3" becomes "ab", which has
    // no room after 4 characters; "x.mp3" is too short for the range and keeps its 5.
    Rules rules = Rules().range(3, 7).insert(2, u8("+"));
    const QStringList names = {u8("abc.mp3"), u8("x.mp3"), u8("longer name.mp3")};
    std::vector<std::pair<bool, bool>> faults;
    previewFaults = [&](PositionFaults f) {
        EXPECT_EQ(qsizetype(faults.size()) + 1, preview.size()) << "right after its line";
        faults.emplace_back(f.range, f.insert);
    };
    run(RunMode::Preview, rules, names);
    EXPECT_EQ(preview, (QStringList{u8("ab+"), u8("x.+mp3"), u8("lo+name.mp3")}));
    EXPECT_EQ(faults,
              (std::vector<std::pair<bool, bool>>{{false, false}, {true, false}, {false, false}}));
    rules.r.insertPos = 4;
    faults.clear();
    preview.clear();
    run(RunMode::Preview, rules, names);
    EXPECT_EQ(faults,
              (std::vector<std::pair<bool, bool>>{{false, true}, {true, false}, {false, false}}));
    EXPECT_TRUE(log.isEmpty());

    faults.clear();
    run(RunMode::Proceed, rules, names);
    EXPECT_TRUE(faults.empty()) << "PROCEED logs instead";
    EXPECT_EQ(log, (QStringList{u8("Invalid position index: 4"), renamed("abc.mp3", "ab"),
                                u8("Invalid position range: 3 to 7"), renamed("x.mp3", "x.mp+3"),
                                renamed("longer name.mp3", "lona+me.mp3")}));
}

TEST(GivenNames, AChosenNameAmongTheNamesGivenIsNoLongerItsFile)
{
    // On a folder that ignores case, another spelling of a given name finds that file too;
    // names that are not UTF-8 compare by their bytes. The folder is asked once, after the
    // first rename, and names given before and after the question count alike.
    const FileEntry latin1{QString::fromLatin1("\xe9t\xe9.mp3"), true};
    for (const bool folds : {false, true}) {
        int asked = 0;
        GivenNames given(
            [&] {
                ++asked;
                return folds;
            },
            8);
        EXPECT_FALSE(given.contains(FileEntry{QStringLiteral("a.mp3")}));
        given.add(QStringLiteral("B.mp3"));
        given.add(exactName(latin1));
        EXPECT_TRUE(given.contains(FileEntry{QStringLiteral("B.mp3")})) << folds;
        EXPECT_EQ(given.contains(FileEntry{QStringLiteral("b.mp3")}), folds);
        EXPECT_TRUE(given.contains(latin1)) << folds;
        EXPECT_FALSE(given.contains(FileEntry{QString::fromUtf8("été.mp3")}))
            << "the UTF-8 of the same text is other bytes";
        given.add(QStringLiteral("D.mp3"));
        EXPECT_EQ(given.contains(FileEntry{QStringLiteral("d.mp3")}), folds);
        EXPECT_FALSE(given.contains(FileEntry{QStringLiteral("c.mp3")}));
        EXPECT_EQ(asked, 1);
    }
}
