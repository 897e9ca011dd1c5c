#include "controls/filelist.h"
#include "windowfixture.h"

#include <QDir>

using namespace tessaly;
using namespace tessaly::test;

namespace {
const QString errorText6 =
    QStringLiteral("I'm sorry, Run-time error occured!\r\nDetails:\r\nError Number = 6\r\n"
                   "Error Description = Overflow\r\nError Line = 0");
}

class RunTest : public WindowTest {
protected:
    RunTest()
        : WindowTest(
              {QStringLiteral("a_b.mp3"), QStringLiteral("c_d.mp3"), QStringLiteral("e_f.mp3")})
    {
        showFolder();
    }
};

TEST_F(RunTest, PreviewWithNoRuleListsEveryNameUnchanged)
{
    check("chkCapi")->setValue(1);
    check("chkCapi")->setValue(0);
    EXPECT_EQ(lines("lstPreview"), strings({"a_b.mp3", "c_d.mp3", "e_f.mp3"}));
    EXPECT_TRUE(lines("lstResult").isEmpty());
}

TEST_F(RunTest, ProceedRenamesLogsAndRereadsTheFolder)
{
    text("txtRepl")->setText(QStringLiteral("_"));
    text("txtWith")->setText(QStringLiteral(" "));
    EXPECT_EQ(lines("lstPreview"), strings({"a b.mp3", "c d.mp3", "e f.mp3"}));
    proceed();
    EXPECT_EQ(lines("lstResult"), strings({"File \"a_b.mp3\" renamed to \"a b.mp3\"",
                                           "File \"c_d.mp3\" renamed to \"c d.mp3\"",
                                           "File \"e_f.mp3\" renamed to \"e f.mp3\""}));
    EXPECT_EQ(folder.names(), strings({"a b.mp3", "c d.mp3", "e f.mp3"}));
    EXPECT_EQ(folder.read(QStringLiteral("c d.mp3")), QByteArray("c_d.mp3"));
    EXPECT_EQ(lines("lstChoice"), strings({"a b.mp3", "c d.mp3", "e f.mp3"}));
    EXPECT_EQ(text("txtEx")->Text(), QStringLiteral("a b.mp3"));
    // The rule boxes are cleared, "Replace all" and the texts stay, and the last nested
    // preview ran with every rule off.
    EXPECT_EQ(check("chkRepl")->Value(), 0);
    EXPECT_EQ(check("chkAll")->Value(), 1);
    EXPECT_EQ(text("txtRepl")->Text(), QStringLiteral("_"));
    EXPECT_EQ(text("txtWith")->Text(), QStringLiteral(" "));
    EXPECT_EQ(lines("lstPreview"), lines("lstChoice"));
    EXPECT_EQ(QDir::currentPath(), folder.path()) << "the nested preview made ActDir current";
}

TEST_F(RunTest, FailuresOfSingleFilesAreLoggedAndTheRunGoesOn)
{
    folder.file(QStringLiteral("taken.mp3"), "other");
    refresh();
    ASSERT_EQ(lines("lstChoice"), strings({"a_b.mp3", "c_d.mp3", "e_f.mp3", "taken.mp3"}));
    // a_b.mp3 -> taken.mp3 exists; c_d.mp3 vanished; e_f.mp3 -> a name with "/".
    list("lstChoice")->RemoveItem(3);
    folder.remove(QStringLiteral("c_d.mp3"));
    text("txtWith2")->setText(QStringLiteral("taken"));
    text("txtTo")->setText(QStringLiteral("3"));
    EXPECT_EQ(lines("lstPreview"), strings({"taken.mp3", "taken.mp3", "taken.mp3"}));
    proceed();
    EXPECT_EQ(lines("lstResult"),
              strings({"File \"a_b.mp3\" already exist", "File taken.mp3 not found",
                       "File \"e_f.mp3\" already exist"}));
    EXPECT_EQ(folder.read(QStringLiteral("taken.mp3")), QByteArray("other"));
    EXPECT_EQ(folder.read(QStringLiteral("a_b.mp3")), QByteArray("a_b.mp3"));
    EXPECT_TRUE(window.box.errors.isEmpty());
}

TEST_F(RunTest, BadFileNameIsLoggedAndMovesNothing)
{
    folder.folder(QStringLiteral("x"));
    text("txtFrom")->setText(QStringLiteral("1"));
    text("txtTo")->setText(QStringLiteral("1"));
    text("txtWith2")->setText(QStringLiteral("x/"));
    proceed();
    EXPECT_EQ(lines("lstResult"), strings({"Bad file name x/_b.mp3", "Bad file name x/_d.mp3",
                                           "Bad file name x/_f.mp3"}));
    EXPECT_TRUE(folder.names(QStringLiteral("x")).isEmpty());
    EXPECT_EQ(folder.names(), strings({"a_b.mp3", "c_d.mp3", "e_f.mp3", "x"}));
}

TEST_F(RunTest, InvalidRangeIsLoggedOncePerFileBeforeItsOutcome)
{
    check("chkUp")->setValue(1);
    text("txtFrom")->setText(QStringLiteral("5"));
    text("txtTo")->setText(QStringLiteral("3"));
    EXPECT_EQ(lines("lstPreview"), strings({"a_b.MP3", "c_d.MP3", "e_f.MP3"}));
    proceed();
    EXPECT_EQ(
        lines("lstResult"),
        strings({"Invalid position range: 5 to 3", "File \"a_b.mp3\" renamed to \"a_b.MP3\"",
                 "Invalid position range: 5 to 3", "File \"c_d.mp3\" renamed to \"c_d.MP3\"",
                 "Invalid position range: 5 to 3", "File \"e_f.mp3\" renamed to \"e_f.MP3\""}));
}

TEST_F(RunTest, PositionOutOfRangeRaisesTheErrorReportInEveryRun)
{
    window.box.answers = {MessageBoxService::Ignore, MessageBoxService::Ignore,
                          MessageBoxService::Ignore};
    text("txtAft")->setText(QStringLiteral("1e5")); // stored as 100000, read as a 16-bit position
    EXPECT_EQ(text("txtAft")->Text(), QStringLiteral("100000"));
    ASSERT_FALSE(window.box.errors.isEmpty());
    EXPECT_EQ(window.box.errors[0].text, errorText6);
    EXPECT_EQ(window.box.errors[0].title, QStringLiteral("Run-time error"));
    // Ignore goes on with the field at 0: the insert rule puts the text in front.
    window.box.errors.clear();
    window.box.answers = {MessageBoxService::Ignore, MessageBoxService::Ignore};
    text("txtAdd")->setText(QStringLiteral("X"));
    EXPECT_EQ(window.box.errors.size(), 1) << "txtAdd's box was ticked already: one preview";
    EXPECT_EQ(lines("lstPreview"), strings({"Xa_b.mp3", "Xc_d.mp3", "Xe_f.mp3"}));
    check("chkAdd")->setValue(0);
    EXPECT_EQ(window.box.errors.size(), 2) << "even with the rule off";
}

TEST_F(RunTest, RetryRunsTheFailingStepAgain)
{
    // The shown folder vanishes; making it current fails until it is back.
    folder.file(QStringLiteral("sub/song.mp3"));
    showFolder(QStringLiteral("sub"));
    QDir(folder.pathOf(QStringLiteral("sub"))).removeRecursively();
    window.box.answers = {MessageBoxService::Retry, MessageBoxService::Retry};
    int shown = 0;
    window.box.whileShown = [&] {
        if (++shown == 2)
            folder.file(QStringLiteral("sub/song.mp3"));
    };
    check("chkCapi")->setValue(1);
    ASSERT_EQ(window.box.errors.size(), 2);
    EXPECT_TRUE(window.box.errors[0].text.contains(QStringLiteral("Error Number = 76")));
    EXPECT_EQ(lines("lstPreview"), strings({"Song.Mp3"}));
    EXPECT_EQ(window.end.ends, 0);
}

TEST_F(RunTest, AbortEndsTheProgramAndNothingMoreRuns)
{
    window.box.answers = {MessageBoxService::Abort};
    text("txtFrom")->setText(QStringLiteral("99999"));
    EXPECT_EQ(window.end.ends, 1);
    ASSERT_EQ(window.box.errors.size(), 1) << "no further preview ran after Abort";
    EXPECT_TRUE(lines("lstPreview").isEmpty());
    proceed();
    EXPECT_EQ(folder.names(), strings({"a_b.mp3", "c_d.mp3", "e_f.mp3"}));
}

TEST_F(RunTest, EveryClearedBoxRunsANestedPreviewInOrder)
{
    // Each preview raises the report (txtTo out of range); the boxes still ticked at each
    // report show the order in which PROCEED clears them.
    const char* boxes[] = {"chkAdd",  "chkCapi",  "chkEras", "chkLow",
                           "chkRepl", "chkRepl2", "chkUp"};
    for (const char* b : boxes)
        check(b)->setValue(1);
    window.box.answerAll(MessageBoxService::Ignore, 20);
    text("txtTo")->setText(QStringLiteral("40000"));
    window.box.errors.clear();
    QStringList ticked;
    window.box.whileShown = [&] {
        QString now;
        for (const char* b : boxes)
            if (check(b)->Value() == 1)
                now += QString::fromLatin1(b).mid(3, 2);
        ticked.append(now);
    };
    proceed();
    EXPECT_EQ(ticked, strings({"AdCaErLoReReUp", "CaErLoReReUp", "ErLoReReUp", "LoReReUp", "ReReUp",
                               "ReUp", "Up", ""}));
}

TEST_F(RunTest, ProceedWithAnEmptyChosenListStillRereadsTheFolder)
{
    select({0, 1, 2});
    QTest::keyClick(list("lstChoice"), Qt::Key_Delete);
    ASSERT_TRUE(lines("lstChoice").isEmpty());
    proceed();
    EXPECT_TRUE(lines("lstResult").isEmpty());
    EXPECT_EQ(lines("lstChoice"), strings({"a_b.mp3", "c_d.mp3", "e_f.mp3"}));
}

TEST_F(RunTest, CaseOnlyRenameIsLoggedAndUnchangedNamesAreNot)
{
    folder.file(QStringLiteral("Done.MP3"));
    refresh();
    check("chkLow")->setValue(1);
    proceed();
    EXPECT_EQ(lines("lstResult"), strings({"File \"Done.MP3\" renamed to \"Done.mp3\""}));
    EXPECT_TRUE(folder.exists(QStringLiteral("Done.mp3")));
}

TEST_F(RunTest, RenameFaultsGoToTheReportWithTheirCodes)
{
    const std::pair<int, const char*> faults[] = {{70, "Permission denied"},
                                                  {57, "Device I/O error"},
                                                  {61, "Disk full"},
                                                  {75, "Path/File access error"}};
    for (auto [code, description] : faults) {
        SCOPED_TRACE(code);
        window.box.errors.clear();
        fs.failRename(QStringLiteral("c_d.mp3"), code);
        window.box.answers = {MessageBoxService::Retry}; // the fault was once: the retry works
        check("chkUp")->setValue(1);
        proceed();
        ASSERT_EQ(window.box.errors.size(), 1);
        EXPECT_TRUE(
            window.box.errors[0].text.contains(QStringLiteral("Error Number = %1\r\n").arg(code)));
        EXPECT_TRUE(window.box.errors[0].text.contains(QStringLiteral("Error Description = ") +
                                                       QString::fromLatin1(description)));
        EXPECT_EQ(lines("lstResult")[1], QStringLiteral("File \"c_d.mp3\" renamed to \"c_d.MP3\""));
        EXPECT_TRUE(folder.exists(QStringLiteral("c_d.MP3")));
        // Undo for the next code.
        check("chkLow")->setValue(1);
        proceed();
    }
}

TEST_F(RunTest, IgnoreOnAFailedRenameLogsTheFailureAndGoesOn)
{
    fs.failRename(QStringLiteral("c_d.mp3"), 70, /*once=*/false);
    window.box.answers = {MessageBoxService::Retry, MessageBoxService::Ignore};
    check("chkUp")->setValue(1);
    proceed();
    EXPECT_EQ(window.box.errors.size(), 2) << "Retry met the fault again";
    EXPECT_EQ(lines("lstResult"), strings({"File \"a_b.mp3\" renamed to \"a_b.MP3\"",
                                           "File \"c_d.mp3\" not renamed: Permission denied",
                                           "File \"e_f.mp3\" renamed to \"e_f.MP3\""}));
    EXPECT_EQ(folder.names(), strings({"a_b.MP3", "c_d.mp3", "e_f.MP3"}));
    EXPECT_EQ(fs.renameFaultsInjected, 2);
}

TEST_F(RunTest, TheLogShowsItsLastLinesAfterTheRun)
{
    for (int i = 0; i < 60; ++i)
        folder.file(QStringLiteral("many/%1_x.mp3").arg(i));
    showFolder(QStringLiteral("many"));
    check("chkUp")->setValue(1);
    proceed();
    ListBox* log = list("lstResult");
    ASSERT_EQ(log->ListCount(), 60);
    const QRect last = log->visualRect(log->model()->index(59, 0));
    EXPECT_TRUE(log->viewport()->rect().contains(last)) << "the newest line in view";
}
