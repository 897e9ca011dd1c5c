#include "controls/drivelist.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/keycodes.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "faultyfs.h"
#include "tempfolder.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

using namespace tessaly;
using tessaly::test::FaultyFileSystem;
using tessaly::test::TempFolder;
using tessaly::test::u8;

namespace {

// A notification must run nested inside the write that caused it: the handler records what
// it saw, and the write has not returned yet when it runs.
struct NestingProbe {
    bool inWrite = false;
    int nested = 0;
    int outside = 0;
    void hit() { inWrite ? ++nested : ++outside; }
    template <typename Write> void write(Write w)
    {
        inWrite = true;
        w();
        inWrite = false;
    }
};

} // namespace

TEST(TextBox, ProgramWriteNotifiesOnceNestedAndOnlyOnARealChange)
{
    TextBox box;
    NestingProbe probe;
    QString seen;
    QObject::connect(&box, &TextBox::Change, [&] {
        probe.hit();
        seen = box.Text();
    });
    probe.write([&] { box.setText(QStringLiteral("abc")); });
    EXPECT_EQ(probe.nested, 1);
    EXPECT_EQ(seen, QStringLiteral("abc"));
    probe.write([&] { box.setText(QStringLiteral("abc")); });
    EXPECT_EQ(probe.nested, 1);
    EXPECT_EQ(probe.outside, 0);
}

TEST(TextBox, UserTypingNotifiesPerCharacter)
{
    TextBox box;
    box.show();
    int changes = 0;
    QObject::connect(&box, &TextBox::Change, [&] { ++changes; });
    QTest::keyClicks(&box, QStringLiteral("xyz"));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(box.Text(), QStringLiteral("xyz"));
}

TEST(TextBox, NormalisingWriteInsideTheHandlerReentersOnceAndStops)
{
    TextBox box;
    int runs = 0;
    QObject::connect(&box, &TextBox::Change, [&] {
        ++runs;
        box.setText(box.Text().trimmed());
    });
    box.setText(QStringLiteral(" 7 "));
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(box.Text(), QStringLiteral("7"));
}

TEST(TextBox, TypedLimitBindsTypingAndPastingButNotProgramWrites)
{
    TextBox box;
    box.setTypedLimit(3);
    box.show();
    box.setFocus();
    QTest::keyClicks(&box, QStringLiteral("1234"));
    EXPECT_EQ(box.Text(), QStringLiteral("123")) << "a fourth typed character is refused";

    box.setText(QStringLiteral("100000"));
    EXPECT_EQ(box.Text(), QStringLiteral("100000")) << "a program write is never cut";
    box.end(false);
    QTest::keyClick(&box, Qt::Key_5);
    EXPECT_EQ(box.Text(), QStringLiteral("100000"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.Text(), QStringLiteral("10000")) << "deleting from a long text works";

    box.selectAll();
    QTest::keyClick(&box, Qt::Key_7);
    EXPECT_EQ(box.Text(), QStringLiteral("7"));

    box.setText(QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("98765"));
    box.paste();
    EXPECT_EQ(box.Text(), QStringLiteral("987")) << "a paste is cut to the room left";
}

TEST(TextBox, SelStartLeavesNothingSelected)
{
    TextBox box;
    box.setText(QStringLiteral("hello"));
    box.setSelStart(0);
    box.setSelLength(5);
    EXPECT_EQ(box.SelLength(), 5);
    box.setSelStart(5);
    EXPECT_EQ(box.SelLength(), 0);
    EXPECT_EQ(box.SelStart(), 5);
}

TEST(CheckBox, ValueChangesNotifyOnceNestedForProgramAndUser)
{
    CheckBox box;
    box.resize(17, 13);
    box.show();
    NestingProbe probe;
    QObject::connect(&box, &CheckBox::Click, [&] { probe.hit(); });
    probe.write([&] { box.setValue(1); });
    EXPECT_EQ(probe.nested, 1);
    probe.write([&] { box.setValue(1); });
    EXPECT_EQ(probe.nested, 1) << "writing the current value raises nothing";
    probe.write([&] { box.setValue(0); });
    EXPECT_EQ(probe.nested, 2);
    probe.write([&] { QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, 6)); });
    EXPECT_EQ(probe.nested, 3) << "a user click notifies exactly once";
    EXPECT_EQ(box.Value(), 1);
    box.setValue(2);
    EXPECT_EQ(box.Value(), 2);
    EXPECT_EQ(probe.outside + probe.nested, 4);
}

TEST(CheckBox, TheWholeBoxShowsInThirteenPixelsAndNoCaption)
{
    QWidget window;
    window.resize(60, 30);
    auto* box = new CheckBox(&window);
    box->setGeometry(10, 10, 17, 13);
    box->setText(QStringLiteral("Check1"));
    window.show();
    for (int value : {0, 1}) {
        SCOPED_TRACE(value);
        box->setValue(value);
        const QImage image = box->grab().toImage();
        ASSERT_EQ(image.size(), QSize(17, 13));
        const QRgb background = window.grab().toImage().pixel(2, 2);
        // The outline is closed: the bottom row is drawn like the top one, not cut off.
        for (int x = 3; x <= 9; ++x) {
            EXPECT_EQ(image.pixel(x, image.height() - 1), image.pixel(x, 0)) << x;
            EXPECT_NE(image.pixel(x, image.height() - 1), background) << x;
        }
        // Right of the box, where a caption would begin, nothing is drawn.
        for (int y = 0; y < image.height(); ++y)
            EXPECT_EQ(image.pixel(image.width() - 1, y), background) << y;
    }
}

TEST(CommandButton, ClickPassesTheIndex)
{
    CommandButton button(2);
    QSignalSpy spy(&button, &CommandButton::Click);
    button.click();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
}

TEST(Label, DoubleAmpersandShowsOne)
{
    Label label;
    label.setCaption(QStringLiteral("Drag && Drop Dir"));
    EXPECT_EQ(label.text(), QStringLiteral("Drag & Drop Dir"));
}

class DriveListTest : public ::testing::Test {
protected:
    DriveListTest() { fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}}; }
    TempFolder card;
    FaultyFileSystem fs;
};

TEST_F(DriveListTest, ChangeOfDriveNotifiesOnceAndTheSameDriveNothing)
{
    DriveList drives(fs);
    drives.setDrive(QStringLiteral("/"));
    NestingProbe probe;
    QObject::connect(&drives, &DriveList::Change, [&] { probe.hit(); });
    probe.write([&] { drives.setDrive(card.path()); });
    EXPECT_EQ(probe.nested, 1);
    EXPECT_EQ(drives.Drive(), card.path() + QStringLiteral(" [CARD]"));
    probe.write([&] { drives.setDrive(card.path() + QStringLiteral(" [CARD]")); });
    EXPECT_EQ(probe.nested, 1);
    probe.write([&] { drives.Refresh(); });
    EXPECT_EQ(probe.nested, 1) << "Refresh raises nothing";
    EXPECT_EQ(drives.mountPoint(), card.path());
    try {
        drives.setDrive(QStringLiteral("/no/such/volume"));
        ADD_FAILURE() << "no error for an unknown drive";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.code(), ErrorCode::DeviceUnavailable);
    }
    EXPECT_EQ(drives.mountPoint(), card.path());
}

TEST_F(DriveListTest, RootComesFirst)
{
    DriveList drives(fs);
    ASSERT_GE(drives.count(), 2);
    EXPECT_TRUE(drives.itemText(0).startsWith(u'/'));
    EXPECT_EQ(drives.volumes().first().mountPoint, QStringLiteral("/"));
}

TEST_F(DriveListTest, FolderListOpensTheFolderLastCurrentOnADrive)
{
    card.folder(QStringLiteral("Music/Album"));
    const QString onRoot = parentFolder(card.path()); // a folder of the root volume
    FolderList folders(fs);
    folders.setPath(card.pathOf(QStringLiteral("Music/Album")));
    folders.setPath(onRoot + u'/');
    folders.setPath(card.path() + QStringLiteral(" [CARD]"));
    EXPECT_EQ(folders.Path(), card.pathOf(QStringLiteral("Music/Album")));
    folders.setPath(QStringLiteral("/")); // the root volume's text, ending in "/" as it is
    EXPECT_EQ(folders.Path(), onRoot);
    folders.setFolder(QStringLiteral("/"));
    EXPECT_EQ(folders.Path(), QStringLiteral("/"));
    folders.setPath(card.path() + u'/');
    EXPECT_EQ(folders.Path(), card.path()) << "with a trailing slash it is a folder, not a drive";
}

TEST(FolderList, PathChangesNotifyOnceAndReadInNormalForm)
{
    TempFolder t;
    t.folder(QStringLiteral("b"));
    t.folder(QStringLiteral("a/deeper"));
    PosixFileSystem fs;
    FolderList folders(fs);
    folders.setFolder(QStringLiteral("/"));
    EXPECT_EQ(folders.Path(), QStringLiteral("/"));
    NestingProbe probe;
    QObject::connect(&folders, &FolderList::Change, [&] { probe.hit(); });
    probe.write([&] { folders.setPath(t.path() + u'/'); });
    EXPECT_EQ(probe.nested, 1);
    EXPECT_EQ(folders.Path(), t.path());
    probe.write([&] { folders.setPath(t.path()); });
    EXPECT_EQ(probe.nested, 1) << "the same folder raises nothing";

    // The path from the root, then the subfolders in order.
    const int depth = int(t.path().count(u'/'));
    ASSERT_EQ(folders.model()->rowCount(), depth + 1 + 2);
    EXPECT_EQ(folders.entryPath(0), QStringLiteral("/"));
    EXPECT_EQ(folders.entryPath(depth), t.path());
    EXPECT_EQ(folders.entryPath(depth + 1), t.pathOf(QStringLiteral("a")));
    EXPECT_EQ(folders.entryPath(depth + 2), t.pathOf(QStringLiteral("b")));

    t.folder(QStringLiteral("c"));
    probe.write([&] { folders.Refresh(); });
    EXPECT_EQ(probe.nested, 1) << "Refresh raises nothing";
    EXPECT_EQ(folders.model()->rowCount(), depth + 1 + 3);
}

TEST(FolderList, AFolderThatCannotBeReadLeavesTheListAsItWas)
{
    TempFolder t;
    PosixFileSystem fs;
    FolderList folders(fs);
    folders.setPath(t.path());
    try {
        folders.setPath(t.pathOf(QStringLiteral("missing")));
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.code(), ErrorCode::PathNotFound);
    }
    EXPECT_EQ(folders.Path(), t.path());
}

TEST(FolderList, OpeningAnEntryByTheUserMakesItCurrent)
{
    TempFolder t;
    t.folder(QStringLiteral("sub"));
    PosixFileSystem fs;
    FolderList folders(fs);
    folders.setPath(t.path());
    folders.resize(200, 300);
    folders.show();
    QSignalSpy changes(&folders, &FolderList::Change);
    const int sub = folders.model()->rowCount() - 1;
    folders.setCurrentIndex(folders.model()->index(sub, 0));
    QTest::keyClick(&folders, Qt::Key_Return);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(folders.Path(), t.pathOf(QStringLiteral("sub")));

    folders.setPath(t.path());
    t.remove(QStringLiteral("sub")); // listed, but gone from the disk
    QSignalSpy failures(&folders, &FolderList::openFailed);
    folders.setCurrentIndex(folders.model()->index(folders.model()->rowCount() - 1, 0));
    QTest::keyClick(&folders, Qt::Key_Return);
    ASSERT_EQ(failures.count(), 1);
    EXPECT_EQ(failures.at(0).at(1).toInt(), ErrorCode::PathNotFound);
    EXPECT_EQ(folders.Path(), t.path());
}

TEST(FileList, PathAndPatternNotifyOnRealChangesAndFilter)
{
    TempFolder t({QStringLiteral("Track 10.MP3"), QStringLiteral("Track 9.mp3"),
                  QStringLiteral("cover.jpg"), QStringLiteral(".hidden.mp3")});
    t.folder(QStringLiteral("folder.mp3"));
    PosixFileSystem fs;
    FileList files(fs);
    NestingProbe path, pattern;
    QObject::connect(&files, &FileList::PathChange, [&] { path.hit(); });
    QObject::connect(&files, &FileList::PatternChange, [&] { pattern.hit(); });
    path.write([&] { files.setPath(t.path() + u'/'); });
    EXPECT_EQ(path.nested, 1);
    EXPECT_EQ(files.Path(), t.path());
    path.write([&] { files.setPath(t.path()); });
    EXPECT_EQ(path.nested, 1);
    EXPECT_EQ(files.ListCount(), 3) << "folders and dot files are not listed";

    pattern.write([&] { files.setPattern(QStringLiteral("*.mp3")); });
    EXPECT_EQ(pattern.nested, 1);
    ASSERT_EQ(files.ListCount(), 2);
    EXPECT_EQ(files.List(0), QStringLiteral("Track 9.mp3"));
    EXPECT_EQ(files.List(1), QStringLiteral("Track 10.MP3"));
    EXPECT_EQ(files.List(2), QString()) << "an index outside the list yields an empty text";
    EXPECT_EQ(files.List(-1), QString());
    pattern.write([&] { files.setPattern(QStringLiteral("*.mp3")); });
    EXPECT_EQ(pattern.nested, 1);

    t.file(QStringLiteral("Track 1.mp3"));
    files.Refresh();
    EXPECT_EQ(files.List(0), QStringLiteral("Track 1.mp3"));
    EXPECT_EQ(path.nested + pattern.nested, 2) << "Refresh raises nothing";
    EXPECT_EQ(path.outside + pattern.outside, 0);
}

TEST(FileList, AUserClickNotifiesAndSetsListIndex)
{
    TempFolder t({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    PosixFileSystem fs;
    FileList files(fs);
    files.setPath(t.path());
    files.resize(200, 200);
    files.show();
    QSignalSpy clicks(&files, &FileList::Click);
    EXPECT_EQ(files.ListIndex(), -1);
    const QRect second = files.visualRect(files.model()->index(1, 0));
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(files.ListIndex(), 1);
    QTest::keyClick(&files, Qt::Key_Up);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(files.ListIndex(), 0);
}

TEST(FileList, AVanishedFolderEmptiesTheListOnRefresh)
{
    TempFolder t({QStringLiteral("a.mp3")});
    t.folder(QStringLiteral("sub"));
    t.file(QStringLiteral("sub/x.mp3"));
    PosixFileSystem fs;
    FileList files(fs);
    files.setPath(t.pathOf(QStringLiteral("sub")));
    t.remove(QStringLiteral("sub"));
    EXPECT_THROW(files.Refresh(), RunTimeError);
    EXPECT_EQ(files.ListCount(), 0);
}

class ListBoxTest : public ::testing::Test {
protected:
    ListBoxTest()
    {
        list.resize(200, 300);
        list.setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (const char* n : {"a", "b", "c", "d", "e"})
            list.AddItem(QString::fromLatin1(n));
        list.show();
    }
    std::vector<bool> flags() const { return list.selectedFlags(); }
    ListBox list;
};

TEST_F(ListBoxTest, RemoveItemMovesLaterEntriesUpWithTheirFlags)
{
    list.setSelected(1, true);
    list.setSelected(3, true);
    list.RemoveItem(1);
    EXPECT_EQ(list.texts(), (QStringList{QStringLiteral("a"), QStringLiteral("c"),
                                         QStringLiteral("d"), QStringLiteral("e")}));
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, true, false}));
    EXPECT_TRUE(list.Selected(2));
}

TEST_F(ListBoxTest, KeepEntriesKeepsTheSurvivorsFlags)
{
    list.setSelected(0, true);
    list.setSelected(2, true);
    list.setSelected(3, true);
    list.keepEntries({true, false, true, true, false});
    EXPECT_EQ(list.texts(),
              (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(flags(), (std::vector<bool>{true, true, true}));
}

TEST_F(ListBoxTest, KeyDownComesBeforeTheListsOwnHandling)
{
    list.setCurrentIndex(list.model()->index(0, 0));
    int rowSeen = -2;
    int codeSeen = 0, shiftSeen = -1;
    QObject::connect(&list, &ListBox::KeyDown, [&](int code, int shift) {
        codeSeen = code;
        shiftSeen = shift;
        rowSeen = list.currentIndex().row();
    });
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(codeSeen, 40);
    EXPECT_EQ(shiftSeen, ShiftMask);
    EXPECT_EQ(rowSeen, 0);
    EXPECT_EQ(list.currentIndex().row(), 1) << "the list still handles the key";
    QTest::keyClick(&list, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(codeSeen, KeyCode::Delete);
    EXPECT_EQ(shiftSeen, CtrlMask);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(codeSeen, KeyCode::Space);
}

TEST_F(ListBoxTest, RightButtonLeavesTheSelectionAlone)
{
    list.setSelected(0, true);
    list.setSelected(1, true);
    QList<int> buttons;
    QObject::connect(&list, &ListBox::MouseUp,
                     [&](int b, int, double, double) { buttons.append(b); });
    const QPoint onFourth = list.visualRect(list.model()->index(3, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, onFourth);
    EXPECT_EQ(flags(), (std::vector<bool>{true, true, false, false, false}));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, onFourth);
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, false, true, false}));
    QTest::mouseClick(list.viewport(), Qt::MiddleButton, {}, onFourth);
    EXPECT_EQ(buttons, (QList<int>{RightButton, LeftButton, MiddleButton}));
}

TEST(FileList, KeepsEveryNameOfTheLastReadAndReadsOncePerChange)
{
    TempFolder t({u8("a.mp3"), u8("b.txt"), u8(".c.mp3")});
    t.folder(u8("Sub"));
    FaultyFileSystem fs;
    FileList list(fs);
    list.setPattern(u8("*.mp3"));
    fs.listings = 0;
    list.setPath(t.path());
    EXPECT_EQ(fs.listings, 1);
    EXPECT_EQ(fs.fileReads, 0) << "the files come from the same read";
    EXPECT_EQ(list.ListCount(), 1);
    const FolderNames& names = list.folderNames();
    EXPECT_EQ(names.size(), 4);
    for (const char* n : {"a.mp3", "b.txt", ".c.mp3", "Sub"})
        EXPECT_GE(names.indexOf(QString::fromUtf8(n)), 0) << n;

    t.file(u8("d.mp3"));
    EXPECT_EQ(list.folderNames().indexOf(u8("d.mp3")), -1) << "as of the last read";
    list.Refresh();
    EXPECT_GE(list.folderNames().indexOf(u8("d.mp3")), 0);
    EXPECT_EQ(fs.listings, 2);

    // A folder that cannot be read leaves list and names as they were; a vanished one on
    // Refresh empties both.
    EXPECT_THROW(list.setPath(t.pathOf(u8("missing"))), RunTimeError);
    EXPECT_EQ(list.folderNames().size(), 5);
    const QString gone = t.pathOf(u8("Sub"));
    list.setPath(gone);
    t.remove(u8("Sub"));
    EXPECT_THROW(list.Refresh(), RunTimeError);
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.folderNames().size(), 0);
}
