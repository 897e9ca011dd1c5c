#include "windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

using namespace tessaly;
using namespace tessaly::test;

namespace {

const QByteArray latin1 = "caf\xe9_3.mp3"; // not UTF-8: shown as Latin-1, renamed by its bytes

class TreeTest : public WindowTest {
protected:
    TreeTest() : WindowTest({u8("x_1.mp3"), u8("A_1/y_2.mp3"), u8("A_1/B_1/z_4.mp3")})
    {
        EXPECT_TRUE(createEntry(folder.pathOf(u8("A_1")), latin1, "latin1"));
        showFolder();
        activate();
        text("txtRepl")->setText(u8("_"));
        text("txtWith")->setText(u8(" "));
    }
    // Opens the pass's dialog and hands it to `drive` once its list is complete.
    void openPass(const std::function<void(QDialog*)>& drive)
    {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), u8("frmTree"));
            auto* sum = dialog->findChild<QLabel*>(u8("lblTreeSum"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return !sum->text().isEmpty(); }));
            drive(dialog);
            driven = true;
        });
        QTest::keyClick(list("lstChoice"), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(driven);
    }
    static QStringList rows(QDialog* dialog)
    {
        auto* view = dialog->findChild<QTreeView*>(u8("lstTree"));
        QStringList out;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            out.append(view->model()->index(r, 0).data().toString() + u8(" -> ") +
                       view->model()->index(r, 1).data().toString());
        return out;
    }
};

} // namespace

// Preview, Del, PROCEED, undo and redo of a pass over a three-level tree, a name that is not
// UTF-8 among them.
TEST_F(TreeTest, APassRenamesTheWholeTreeAsOneEntryOfTheHistory)
{
    openPass([&](QDialog* dialog) {
        EXPECT_EQ(rows(dialog),
                  QStringList({u8(". -> "), u8("x_1.mp3 -> x 1.mp3"), u8("A_1 -> "),
                               u8("café_3.mp3 -> café 3.mp3"), u8("y_2.mp3 -> y 2.mp3"),
                               u8("A_1/B_1 -> "), u8("z_4.mp3 -> z 4.mp3")}));
        auto* sum = dialog->findChild<QLabel*>(u8("lblTreeSum"));
        EXPECT_EQ(sum->text(), u8("4 files in 3 folders: 4 to rename, 0 unchanged, 0 would fail"));
        // Del takes the selected rows out of the pass; a folder's row its files.
        auto* view = dialog->findChild<QTreeView*>(u8("lstTree"));
        view->setFocus();
        view->setCurrentIndex(view->model()->index(0, 0)); // the folder "."
        QTest::keyClick(view, Qt::Key_Delete);
        EXPECT_EQ(sum->text(), u8("3 files in 2 folders: 3 to rename, 0 unchanged, 0 would fail"));
        dialog->findChild<QPushButton*>(u8("cmdTreeGo"))->click();
    });
    EXPECT_EQ(folder.names(), QStringList({u8("A_1"), u8("x_1.mp3")}));
    EXPECT_EQ(folder.names(u8("A_1")), QStringList({u8("B_1"), u8("café 3.mp3"), u8("y 2.mp3")}));
    EXPECT_EQ(folder.names(u8("A_1/B_1")), QStringList{u8("z 4.mp3")});
    const QStringList proceedLog = {
        u8("Folder \"A_1\""), u8("File \"café_3.mp3\" renamed to \"café 3.mp3\""),
        u8("File \"y_2.mp3\" renamed to \"y 2.mp3\""), u8("Folder \"A_1/B_1\""),
        u8("File \"z_4.mp3\" renamed to \"z 4.mp3\"")};
    EXPECT_EQ(lines("lstResult"), proceedLog);
    // The window then does what it does after a PROCEED.
    EXPECT_EQ(check("chkRepl")->Value(), 0);
    EXPECT_EQ(lines("lstChoice"), strings({"x_1.mp3"}));

    // Ctrl+Z takes the pass back, the last renamed first, folder by folder.
    activate(); // as the window manager does once the dialog is gone
    text("txtRepl")->setFocus();
    QTest::keyClick(text("txtRepl"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines("lstResult"),
              QStringList({u8("Undo of the renames in \"") + folder.path() + u8("\""),
                           u8("Folder \"A_1/B_1\""), u8("File \"z 4.mp3\" renamed to \"z_4.mp3\""),
                           u8("Folder \"A_1\""), u8("File \"y 2.mp3\" renamed to \"y_2.mp3\""),
                           u8("File \"café 3.mp3\" renamed to \"café_3.mp3\"")}));
    EXPECT_EQ(readEntries(folder.pathOf(u8("A_1"))).value(latin1), "latin1") << "its old bytes";
    EXPECT_EQ(folder.names(u8("A_1/B_1")), QStringList{u8("z_4.mp3")});
    get<QAction>("mnuPopUplstResultRedo")->trigger();
    EXPECT_EQ(lines("lstResult").mid(1), proceedLog);
    EXPECT_EQ(folder.names(u8("A_1/B_1")), QStringList{u8("z 4.mp3")});
    EXPECT_TRUE(window.box.errors.isEmpty());
}

TEST_F(TreeTest, CancelRenamesNothingAndTheMenuOpensFromTheFolderList)
{
    openPass([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(readEntries(folder.pathOf(u8("A_1"))).keys(),
              QList<QByteArray>({"B_1", latin1, "y_2.mp3"}));
    EXPECT_TRUE(lines("lstResult").isEmpty());
    EXPECT_EQ(check("chkRepl")->Value(), 1);

    activate();
    auto* menu = get<QMenu>("mnuPopUpdirDir");
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Menu), Qt::SHIFT | Qt::Key_F10}) {
        dirDir()->setFocus();
        QTest::keyClick(dirDir(), key.key(), key.keyboardModifiers());
        EXPECT_TRUE(menu->isVisible());
        menu->close();
    }
    QTest::mouseClick(dirDir()->viewport(), Qt::RightButton, {}, QPoint(20, 5));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(get<QAction>("mnuPopUpdirDirTree")->text(),
              u8("Rename in this folder and its subfolders...    Ctrl+Shift+P"));
    menu->close();
}

TEST_F(TreeTest, AFolderMovedAwayBeforeProceedHasItsFilesNotFoundAndThePassGoesOn)
{
    openPass([&](QDialog* dialog) {
        ASSERT_TRUE(QDir().rename(folder.pathOf(u8("A_1/B_1")), folder.pathOf(u8("A_1/B_2"))));
        dialog->findChild<QPushButton*>(u8("cmdTreeGo"))->click();
    });
    EXPECT_EQ(lines("lstResult").mid(5),
              QStringList({u8("Folder \"A_1/B_1\""), u8("File z 4.mp3 not found")}));
    EXPECT_EQ(folder.names(u8("A_1/B_2")), QStringList{u8("z_4.mp3")});
    EXPECT_TRUE(window.box.errors.isEmpty());
}
