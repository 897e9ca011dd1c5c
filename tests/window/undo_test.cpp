#include "windowfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>

using namespace tessaly;
using namespace tessaly::test;

class UndoTest : public WindowTest {
protected:
    UndoTest() : WindowTest({QStringLiteral("a_b.mp3"), QStringLiteral("c_d.mp3")})
    {
        showFolder();
        activate();
    }
    QAction* item(const char* name) const
    {
        return get<QMenu>("mnuPopUplstResult")->findChild<QAction*>(QString::fromLatin1(name));
    }
    QAction* undo() const { return item("mnuPopUplstResultUndo"); }
    QAction* redo() const { return item("mnuPopUplstResultRedo"); }
    // A PROCEED that replaces "_" by a blank.
    void proceedReplacing()
    {
        text("txtRepl")->setText(QStringLiteral("_"));
        text("txtWith")->setText(QStringLiteral(" "));
        check("chkRepl")->setValue(1); // also where the texts were there already
        proceed();
    }
    QString header(bool undo) const
    {
        return (undo ? u8("Undo") : u8("Redo")) + u8(" of the renames in \"") + folder.path() +
               u8("\"");
    }
    // Alt+P: the button's click comes when its press has shown, a moment later.
    void altP(QWidget* focus)
    {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_P, Qt::AltModifier);
        auto* button = get<QAbstractButton>("cmdGo_0");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !button->isDown(); }));
        QApplication::processEvents();
    }
    void press(QWidget* focus, QKeyCombination keys)
    {
        focus->setFocus();
        QTest::keyClick(focus, keys.key(), keys.keyboardModifiers());
    }
};

TEST_F(UndoTest, TheResultListsMenuTakesAProceedBackAndDoesItAgain)
{
    EXPECT_EQ(undo()->text(), QStringLiteral("Undo renames    Ctrl+Z"));
    EXPECT_EQ(redo()->text(), QStringLiteral("Redo renames    Ctrl+Shift+Z"));
    EXPECT_FALSE(undo()->isEnabled());
    EXPECT_FALSE(redo()->isEnabled());

    // The right button opens the menu over the result list, as over the chosen files.
    ListBox* result = list("lstResult");
    QTest::mouseClick(result->viewport(), Qt::RightButton, {}, QPoint(20, 10));
    auto* menu = get<QMenu>("mnuPopUplstResult");
    EXPECT_TRUE(menu->isVisible());
    menu->close();

    proceedReplacing();
    EXPECT_TRUE(undo()->isEnabled());
    EXPECT_FALSE(redo()->isEnabled());
    check("chkCapi")->setValue(1); // a rule set since: undo leaves it as it is

    text("txtRepl")->setFocus(); // the menu acts wherever the focus was
    undo()->trigger();
    EXPECT_EQ(folder.names(), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_EQ(folder.read(QStringLiteral("a_b.mp3")), "a_b.mp3");
    EXPECT_EQ(lines("lstResult"),
              QStringList({header(true), u8("File \"c d.mp3\" renamed to \"c_d.mp3\""),
                           u8("File \"a b.mp3\" renamed to \"a_b.mp3\"")}));
    EXPECT_EQ(lines("lstChoice"), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_EQ(lines("lstPreview"), strings({"A_B.Mp3", "C_D.Mp3"})) << "previewed with the rules";
    EXPECT_EQ(check("chkCapi")->Value(), 1);
    EXPECT_FALSE(undo()->isEnabled());
    EXPECT_TRUE(redo()->isEnabled());

    redo()->trigger();
    EXPECT_EQ(folder.names(), strings({"a b.mp3", "c d.mp3"}));
    EXPECT_EQ(lines("lstResult"),
              QStringList({header(false), u8("File \"a_b.mp3\" renamed to \"a b.mp3\""),
                           u8("File \"c_d.mp3\" renamed to \"c d.mp3\"")}));

    // A PROCEED after an undo drops what was undone, but only one that renames; one that
    // renames nothing adds nothing.
    undo()->trigger();
    check("chkCapi")->setValue(0);
    proceed(); // no rule is on
    EXPECT_TRUE(redo()->isEnabled());
    proceedReplacing();
    EXPECT_FALSE(redo()->isEnabled());
    proceed(); // no rule is on any more
    undo()->trigger();
    EXPECT_EQ(folder.names(), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_FALSE(undo()->isEnabled());
}

TEST_F(UndoTest, TheKeysWorkAnywhereButInATextBoxWhichUndoesItsTyping)
{
    proceedReplacing();
    // The browser may have moved meanwhile: undo shows the folder it renamed in.
    dirDir()->setFolder(QStringLiteral("/"));
    press(list("lstChoice"), Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(folder.names(), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_EQ(form()->ActDir(), folder.path());
    press(list("lstPreview"), Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    EXPECT_EQ(folder.names(), strings({"a b.mp3", "c d.mp3"}));
    press(list("lstResult"), Qt::CTRL | Qt::Key_Z);
    press(list("lstResult"), Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(folder.names(), strings({"a b.mp3", "c d.mp3"}));

    TextBox* erase = text("txtEras");
    erase->setFocus();
    QTest::keyClicks(erase, QStringLiteral("xy"));
    const std::pair<QKeyCombination, const char*> keys[] = {
        {Qt::CTRL | Qt::Key_Z, ""},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, "xy"},
        {Qt::CTRL | Qt::Key_Z, ""},
        {Qt::CTRL | Qt::Key_Y, "xy"}};
    for (const auto& [combination, after] : keys) {
        press(erase, combination);
        EXPECT_EQ(erase->Text(), QString::fromUtf8(after)) << "the box takes back its own typing";
        EXPECT_EQ(folder.names(), strings({"a b.mp3", "c d.mp3"})) << "the renames stay";
    }
}

TEST_F(UndoTest, RightAfterAProceedCtrlZTakesItBackUntilATextBoxIsEdited)
{
    // Type, Alt+P, Ctrl+Z: the focus is still in the text box typed in, and the PROCEED goes.
    TextBox* replace = text("txtRepl");
    replace->setFocus();
    QTest::keyClicks(replace, QStringLiteral("_"));
    altP(replace);
    ASSERT_EQ(folder.names(), strings({"ab.mp3", "cd.mp3"}));
    press(replace, Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(folder.names(), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_EQ(replace->Text(), QStringLiteral("_"));
    press(text("txtFrom"), Qt::CTRL | Qt::SHIFT | Qt::Key_Z); // a position box too
    EXPECT_EQ(folder.names(), strings({"ab.mp3", "cd.mp3"}));

    // Alt+P, type, Ctrl+Z, Ctrl+Z: both take back typing, never the renames.
    TextBox* erase = text("txtEras");
    altP(erase);
    QTest::keyClicks(erase, QStringLiteral("xy"));
    press(erase, Qt::CTRL | Qt::Key_Z);
    press(erase, Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(folder.names(), strings({"ab.mp3", "cd.mp3"}));
    EXPECT_TRUE(undo()->isEnabled());

    // The log's menu opens from the keyboard too.
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Menu), Qt::SHIFT | Qt::Key_F10}) {
        press(list("lstResult"), key);
        auto* menu = get<QMenu>("mnuPopUplstResult");
        EXPECT_TRUE(menu->isVisible());
        menu->close();
    }
}

TEST_F(UndoTest, AFileWhoseUndoFailedWaitsForTheNextUndo)
{
    proceedReplacing();
    fs.failRename(QStringLiteral("c d.mp3"), ErrorCode::PermissionDenied);         // once
    fs.failRename(QStringLiteral("a b.mp3"), ErrorCode::DeviceIO, /*once=*/false); // for now
    window.box.answers = {MessageBoxService::Retry, MessageBoxService::Ignore};
    undo()->trigger();
    ASSERT_EQ(window.box.errors.size(), 2);
    EXPECT_TRUE(window.box.errors[0].text.contains(QStringLiteral("Error Number = 70")));
    EXPECT_TRUE(window.box.errors[1].text.contains(QStringLiteral("Error Number = 57")));
    EXPECT_EQ(lines("lstResult"),
              QStringList({header(true), u8("File \"c d.mp3\" renamed to \"c_d.mp3\""),
                           u8("File \"a b.mp3\" not renamed: Device I/O error"),
                           u8("Files not taken back: 1 (Undo tries them again)")}));
    EXPECT_EQ(folder.names(), strings({"a b.mp3", "c_d.mp3"}));
    EXPECT_TRUE(undo()->isEnabled());
    EXPECT_FALSE(redo()->isEnabled()) << "the undo is finished first";

    fs.clearRenameFaults();
    undo()->trigger();
    EXPECT_EQ(lines("lstResult"),
              QStringList({header(true), u8("File \"a b.mp3\" renamed to \"a_b.mp3\"")}));
    EXPECT_EQ(folder.names(), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_FALSE(undo()->isEnabled());
    redo()->trigger();
    EXPECT_EQ(folder.names(), strings({"a b.mp3", "c d.mp3"}));
    EXPECT_EQ(window.box.errors.size(), 2);
}

TEST_F(UndoTest, AnUndoAfterItsFolderWentReportsItAndMovesTheBrowserUp)
{
    folder.file(QStringLiteral("sub/e_f.mp3"));
    showFolder(QStringLiteral("sub"));
    proceedReplacing();
    ASSERT_TRUE(folder.exists(QStringLiteral("sub/e f.mp3")));
    folder.remove(QStringLiteral("sub"));
    window.box.answerAll(MessageBoxService::Ignore, 20);
    undo()->trigger();
    EXPECT_FALSE(window.box.errors.isEmpty());
    EXPECT_TRUE(window.box.warnings.isEmpty());
    EXPECT_EQ(dirDir()->Path(), folder.path());
    EXPECT_EQ(form()->ActDir(), folder.path());
    EXPECT_EQ(lines("lstChoice"), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_EQ(lines("lstPreview"), strings({"a_b.mp3", "c_d.mp3"}));
    EXPECT_EQ(window.end.ends, 0);
}
