#include "drivelist.h"
#include "faultyfs.h"
#include "filelist.h"
#include "folderlist.h"
#include "form1.h"
#include "listbox.h"
#include "simplecontrols.h"
#include "tempfolder.h"
#include "textbox.h"
#include "windowfixture.h"

#include <QDir>
#include <QTest>

using namespace tessaly;
using tessaly::test::FaultyFileSystem;
using tessaly::test::strings;
using tessaly::test::TempFolder;
using tessaly::test::Window;

namespace {

// Opens a folder in the folder list the way the user does: pick its entry, press Enter.
void openEntry(FolderList* folders, const QString& path)
{
    for (int row = 0; row < folders->entryCount(); ++row) {
        if (folders->entryPath(row) == path) {
            folders->setCurrentIndex(folders->model()->index(row, 0));
            QTest::keyClick(folders, Qt::Key_Return);
            return;
        }
    }
    ADD_FAILURE() << "no entry " << path.toStdString();
}

} // namespace

class BrowserTest : public ::testing::Test {
protected:
    BrowserTest()
        : music({QStringLiteral("Track 10.mp3"), QStringLiteral("Track 2.MP3"),
                 QStringLiteral("cover.jpg"), QStringLiteral("notes.txt"),
                 QStringLiteral("Album/01 intro.mp3")}),
          window(&fs)
    {
    }
    Form1* form() const { return static_cast<Form1*>(window.form.get()); }
    FolderList* dirDir() const { return window.get<FolderList>("dirDir"); }
    FileList* flFile() const { return window.get<FileList>("flFile"); }
    TextBox* text(const char* n) const { return window.get<TextBox>(n); }
    QStringList choice() const { return window.texts("lstChoice"); }
    void show(const QString& folder) { dirDir()->setPath(folder + u'/'); }

    TempFolder music;
    FaultyFileSystem fs;
    Window window;
};

TEST_F(BrowserTest, StartsOnTheRootWithTheMp3Mask)
{
    EXPECT_EQ(form()->ActDir(), QStringLiteral("/"));
    EXPECT_EQ(text("txtDir")->Text(), QStringLiteral("/"));
    EXPECT_EQ(dirDir()->Path(), QStringLiteral("/"));
    EXPECT_EQ(flFile()->Path(), QStringLiteral("/"));
    EXPECT_EQ(flFile()->Pattern(), QStringLiteral("*.mp3"));
    EXPECT_EQ(window.get<DriveList>("drvDrive")->mountPoint(), QStringLiteral("/"));
    EXPECT_TRUE(window.box.warnings.isEmpty());
}

TEST_F(BrowserTest, StartsOnTheRootWhateverTheWorkingFolder)
{
    for (const QString& start : {music.path(), QStringLiteral("/")}) {
        const QString before = QDir::currentPath();
        QDir::setCurrent(start);
        Window other(&fs);
        QDir::setCurrent(before);
        auto* f = static_cast<Form1*>(other.form.get());
        EXPECT_EQ(f->ActDir(), QStringLiteral("/")) << start.toStdString();
        EXPECT_EQ(other.get<FileList>("flFile")->Path(), QStringLiteral("/"));
        EXPECT_EQ(other.get<TextBox>("txtDir")->Text(), QStringLiteral("/"));
        EXPECT_EQ(other.texts("lstChoice"), other.get<FileList>("flFile")->entries().size() == 0
                                                ? QStringList()
                                                : other.texts("lstChoice"));
        EXPECT_EQ(other.texts("lstChoice").size(), other.get<FileList>("flFile")->ListCount());
    }
}

TEST_F(BrowserTest, FocusStartsInTheEraseField)
{
    window.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.form.get()));
    EXPECT_EQ(QApplication::focusWidget(), text("txtEras"));
}

TEST_F(BrowserTest, ShowingAFolderFillsTheChosenListInNaturalOrder)
{
    show(music.path());
    EXPECT_EQ(form()->ActDir(), music.path());
    EXPECT_EQ(text("txtDir")->Text(), music.path());
    EXPECT_EQ(choice(), strings({"Track 2.MP3", "Track 10.mp3"}));
    EXPECT_EQ(text("txtEx")->Text(), QStringLiteral("Track 2.MP3"));
    EXPECT_TRUE(window.texts("lstPreview").isEmpty());
}

TEST_F(BrowserTest, OpeningASubfolderAndGoingBackToTheRoot)
{
    show(music.path());
    openEntry(dirDir(), music.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(form()->ActDir(), music.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(text("txtDir")->Text(), music.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(choice(), strings({"01 intro.mp3"}));
    openEntry(dirDir(), QStringLiteral("/"));
    EXPECT_EQ(form()->ActDir(), QStringLiteral("/"));
    EXPECT_EQ(text("txtDir")->Text(), QStringLiteral("/"));
}

TEST_F(BrowserTest, MaskWithAForbiddenCharacterBecomesStar)
{
    show(music.path());
    // The whole mask goes at the moment the character is typed.
    for (const char* typed : {"*.mp3;", "a/", "c:", "back\\"}) {
        text("txtFilter")->setText(QStringLiteral("*.mp3"));
        text("txtFilter")->clear();
        QTest::keyClicks(text("txtFilter"), QString::fromUtf8(typed));
        EXPECT_EQ(text("txtFilter")->Text(), QStringLiteral("*")) << typed;
        EXPECT_EQ(flFile()->Pattern(), QStringLiteral("*")) << typed;
        EXPECT_EQ(choice().size(), 4) << typed;
    }
    QTest::keyClicks(text("txtFilter"), QStringLiteral(".txt"));
    EXPECT_EQ(text("txtFilter")->Text(), QStringLiteral("*.txt"));
    EXPECT_EQ(choice(), strings({"notes.txt"}));
}

TEST_F(BrowserTest, TypingAMaskRefiltersAtEveryKeystroke)
{
    show(music.path());
    auto* filter = text("txtFilter");
    filter->selectAll();
    QTest::keyClicks(filter, QStringLiteral("*.t"));
    EXPECT_EQ(flFile()->Pattern(), QStringLiteral("*.t"));
    EXPECT_TRUE(choice().isEmpty());
    EXPECT_EQ(text("txtEx")->Text(), QString());
    QTest::keyClicks(filter, QStringLiteral("xt"));
    EXPECT_EQ(choice(), strings({"notes.txt"}));
}

TEST_F(BrowserTest, EmptyMaskListsEveryFile)
{
    show(music.path());
    text("txtFilter")->setText(QString());
    EXPECT_EQ(flFile()->Pattern(), QString());
    EXPECT_EQ(choice(), strings({"cover.jpg", "notes.txt", "Track 2.MP3", "Track 10.mp3"}));
}

TEST_F(BrowserTest, RefreshRefillsTheChosenListAndEmptiesThePreview)
{
    show(music.path());
    auto* chosen = window.get<ListBox>("lstChoice");
    chosen->RemoveItem(0);
    window.get<ListBox>("lstPreview")->AddItem(QStringLiteral("stale"));
    music.file(QStringLiteral("Track 1.mp3"));
    QTest::mouseClick(window.get<QWidget>("cmdRefresh_2"), Qt::LeftButton);
    EXPECT_EQ(choice(), strings({"Track 1.mp3", "Track 2.MP3", "Track 10.mp3"}));
    EXPECT_TRUE(window.texts("lstPreview").isEmpty());
    EXPECT_EQ(text("txtEx")->Text(), QStringLiteral("Track 1.mp3"));
}

TEST_F(BrowserTest, ClickInTheFileListChangesOnlyTheExample)
{
    show(music.path());
    window.get<ListBox>("lstPreview")->AddItem(QStringLiteral("kept"));
    auto* files = flFile();
    const QRect second = files->visualRect(files->model()->index(1, 0));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(text("txtEx")->Text(), QStringLiteral("Track 10.mp3"));
    EXPECT_EQ(choice(), strings({"Track 2.MP3", "Track 10.mp3"}));
    EXPECT_EQ(window.texts("lstPreview"), strings({"kept"}));
}

TEST_F(BrowserTest, FolderWithoutMatchesEmptiesTheLists)
{
    music.folder(QStringLiteral("empty"));
    show(music.path());
    window.get<ListBox>("lstPreview")->AddItem(QStringLiteral("stale"));
    show(music.pathOf(QStringLiteral("empty")));
    EXPECT_EQ(flFile()->ListCount(), 0);
    EXPECT_TRUE(choice().isEmpty());
    EXPECT_TRUE(window.texts("lstPreview").isEmpty());
    EXPECT_EQ(text("txtEx")->Text(), QString());
}

TEST_F(BrowserTest, FolderDeletedWhileShownMovesTheBrowserUpOnRefresh)
{
    show(music.pathOf(QStringLiteral("Album")));
    music.remove(QStringLiteral("Album"));
    QTest::mouseClick(window.get<QWidget>("cmdRefresh_2"), Qt::LeftButton);
    ASSERT_EQ(window.box.warnings.size(), 1);
    EXPECT_TRUE(window.box.warnings[0].text.contains(QStringLiteral("Path not found")));
    EXPECT_EQ(dirDir()->Path(), music.path());
    EXPECT_EQ(form()->ActDir(), music.path());
    EXPECT_EQ(flFile()->Path(), music.path());
    EXPECT_EQ(choice(), strings({"Track 2.MP3", "Track 10.mp3"}));
}

TEST_F(BrowserTest, UnreadableFolderWarnsAndStaysOnAReadableOne)
{
    show(music.path());
    fs.unreadable.insert(music.pathOf(QStringLiteral("Album")), ErrorCode::PermissionDenied);
    openEntry(dirDir(), music.pathOf(QStringLiteral("Album")));
    ASSERT_EQ(window.box.warnings.size(), 1);
    EXPECT_TRUE(window.box.warnings[0].text.contains(QStringLiteral("Permission denied")));
    EXPECT_EQ(dirDir()->Path(), music.path());
    EXPECT_EQ(form()->ActDir(), music.path());
    EXPECT_EQ(choice(), strings({"Track 2.MP3", "Track 10.mp3"}));
}

TEST_F(BrowserTest, MaskTypedWhileTheFolderVanishedMovesUp)
{
    show(music.pathOf(QStringLiteral("Album")));
    music.remove(QStringLiteral("Album"));
    text("txtFilter")->setText(QStringLiteral("*.jpg"));
    ASSERT_EQ(window.box.warnings.size(), 1);
    EXPECT_EQ(form()->ActDir(), music.path());
    EXPECT_EQ(choice(), strings({"cover.jpg"}));
}

TEST_F(BrowserTest, ChoosingADriveOpensTheFolderLastCurrentOnIt)
{
    TempFolder card({QStringLiteral("song.mp3")});
    fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}};
    auto* drives = window.get<DriveList>("drvDrive");
    drives->Refresh();
    show(music.path()); // on the root volume
    const auto choose = [&](const QString& text) {
        const int index = drives->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        drives->setCurrentIndex(index); // as a pick from the drop-down list
    };
    choose(card.path() + QStringLiteral(" [CARD]"));
    EXPECT_EQ(dirDir()->Path(), card.path());
    EXPECT_EQ(form()->ActDir(), card.path());
    EXPECT_EQ(choice(), strings({"song.mp3"}));
    choose(drives->volumes().first().text()); // the root volume, "/" without a label
    EXPECT_EQ(dirDir()->Path(), music.path());
    EXPECT_EQ(form()->ActDir(), music.path());
    EXPECT_EQ(choice(), strings({"Track 2.MP3", "Track 10.mp3"}));

    drives->setMarker(QStringLiteral("b")); // while set, a drive change leaves the folders alone
    choose(card.path() + QStringLiteral(" [CARD]"));
    EXPECT_EQ(dirDir()->Path(), music.path());
}

TEST_F(BrowserTest, LargeFolderListsEveryFile)
{
    // More entries than a 16-bit list could hold.
    TempFolder big;
    for (int i = 0; i < 40000; ++i)
        QFile(big.pathOf(QStringLiteral("%1.mp3").arg(i))).open(QIODevice::WriteOnly);
    show(big.path());
    EXPECT_EQ(flFile()->ListCount(), 40000);
    ASSERT_EQ(choice().size(), 40000);
    EXPECT_EQ(choice().first(), QStringLiteral("0.mp3"));
    EXPECT_EQ(choice().last(), QStringLiteral("39999.mp3"));
}

// ---- a volume that goes away while it is shown -----------------------------------------------

namespace {

// How a volume goes: unmounted and its mount point removed, or a medium pulled out so that
// reading fails (played by the file system, since root reads any folder).
enum class Vanish { Removed, Unreadable };

struct VanishCase {
    const char* what;
    Vanish how;
    int code;
    const char* reason;
};

const VanishCase vanishCases[] = {
    {"unmounted", Vanish::Removed, ErrorCode::PathNotFound, "Path not found"},
    {"medium pulled", Vanish::Unreadable, ErrorCode::DeviceIO, "Device I/O error"},
    {"not ready", Vanish::Unreadable, ErrorCode::DiskNotReady, "Disk not ready"},
};

QStringList driveTexts(DriveList* drives)
{
    QStringList out;
    for (int i = 0; i < drives->count(); ++i)
        out.append(drives->itemText(i));
    return out;
}

} // namespace

// A card mounted at media/CARD, shown in its folder "Album".
struct CardWindow {
    CardWindow() : window(&fs)
    {
        music.file(QStringLiteral("media/outside.mp3"));
        music.file(QStringLiteral("media/CARD/top.mp3"));
        music.file(QStringLiteral("media/CARD/Album/song.mp3"));
        fs.extraVolumes = {{card(), QStringLiteral("CARD")}};
        drives()->Refresh();
        drives()->setDrive(card());
        openEntry(dirDir(), card() + QStringLiteral("/Album"));
    }
    QString media() const { return music.pathOf(QStringLiteral("media")); }
    QString card() const { return music.pathOf(QStringLiteral("media/CARD")); }
    Form1* form() const { return static_cast<Form1*>(window.form.get()); }
    DriveList* drives() const { return window.get<DriveList>("drvDrive"); }
    FolderList* dirDir() const { return window.get<FolderList>("dirDir"); }
    FileList* flFile() const { return window.get<FileList>("flFile"); }
    TextBox* text(const char* n) const { return window.get<TextBox>(n); }
    QStringList choice() const { return window.texts("lstChoice"); }

    // Unmounted: the volume leaves the list and its mount point goes. Pulled out or not
    // ready: still mounted, but reading fails.
    void vanish(const VanishCase& c)
    {
        if (c.how == Vanish::Removed) {
            fs.extraVolumes.clear();
            music.remove(QStringLiteral("media/CARD"));
        } else {
            fs.unreadable.insert(card(), c.code);
            fs.unreadable.insert(card() + QStringLiteral("/Album"), c.code);
        }
    }

    // One warning with the reason; the browser on the nearest readable folder above the
    // card, every list in step with it.
    void expectMovedAboveTheCard(const VanishCase& c) const
    {
        ASSERT_EQ(window.box.warnings.size(), 1);
        EXPECT_TRUE(window.box.warnings[0].text.contains(QString::fromLatin1(c.reason)))
            << window.box.warnings[0].text.toStdString();
        EXPECT_EQ(dirDir()->Path(), media());
        EXPECT_EQ(form()->ActDir(), media());
        EXPECT_EQ(text("txtDir")->Text(), media());
        EXPECT_EQ(flFile()->Path(), media());
        ASSERT_EQ(choice().size(), flFile()->ListCount());
        for (int i = 0; i < flFile()->ListCount(); ++i)
            EXPECT_EQ(choice()[i], flFile()->List(i));
        EXPECT_EQ(text("txtEx")->Text(), flFile()->List(0));
        EXPECT_EQ(drives()->mountPoint(), QStringLiteral("/"))
            << "the drive list shows the drive of the folder shown";
        EXPECT_EQ(driveTexts(drives()).contains(card() + QStringLiteral(" [CARD]")),
                  c.how != Vanish::Removed)
            << "an unmounted volume leaves the drive list";
        EXPECT_TRUE(window.box.errors.isEmpty());
    }

    TempFolder music;
    FaultyFileSystem fs;
    Window window;
};

TEST(VanishingVolume, RefreshMovesTheBrowserAboveIt)
{
    for (const VanishCase& c : vanishCases) {
        SCOPED_TRACE(c.what);
        CardWindow w;
        ASSERT_EQ(w.choice(), strings({"song.mp3"}));
        w.vanish(c);
        QTest::mouseClick(w.window.get<QWidget>("cmdRefresh_2"), Qt::LeftButton);
        w.expectMovedAboveTheCard(c);
        EXPECT_EQ(w.choice(), strings({"outside.mp3"}));
    }
}

TEST(VanishingVolume, TypingAMaskMovesTheBrowserAboveIt)
{
    for (const VanishCase& c : vanishCases) {
        SCOPED_TRACE(c.what);
        CardWindow w;
        w.vanish(c);
        QTest::keyClicks(w.text("txtFilter"), QStringLiteral("x"));
        w.expectMovedAboveTheCard(c);
        EXPECT_EQ(w.flFile()->Pattern(), QStringLiteral("*.mp3x"));
        EXPECT_TRUE(w.choice().isEmpty());
    }
}

TEST(VanishingVolume, ChoosingItFromAStaleDriveListWarnsAndStaysReadable)
{
    for (const VanishCase& c : vanishCases) {
        SCOPED_TRACE(c.what);
        CardWindow w;
        w.drives()->setDrive(QStringLiteral("/"));
        w.dirDir()->setPath(w.media() + u'/');
        w.window.box.warnings.clear();
        w.vanish(c);
        w.drives()->setDrive(w.card() + QStringLiteral(" [CARD]")); // as the list showed it
        w.expectMovedAboveTheCard(c);
        EXPECT_EQ(w.choice(), strings({"outside.mp3"}));
    }
}

TEST(VanishingVolume, ProceedReportsItsFailuresAndRefreshThenMovesUp)
{
    // Inside PROCEED the failures of making the folder current, of the rename and of the
    // browser's refresh steps go to the run-time error report; the window stays usable.
    CardWindow w;
    w.window.get<CheckBox>("chkUp")->setValue(1);
    ASSERT_EQ(w.window.texts("lstPreview"), strings({"song.MP3"}));
    w.vanish(vanishCases[0]);
    w.window.box.answerAll(MessageBoxService::Ignore, 20);
    QTest::mouseClick(w.window.get<QWidget>("cmdGo_0"), Qt::LeftButton);
    ASSERT_GE(w.window.box.errors.size(), 4) << "step 3, the rename, the two folder refreshes";
    for (const auto& e : w.window.box.errors) {
        EXPECT_TRUE(e.text.contains(QStringLiteral("Error Number = 76\r\n")))
            << e.text.toStdString();
        EXPECT_TRUE(e.text.contains(QStringLiteral("Error Description = Path not found")));
    }
    EXPECT_TRUE(w.window.box.warnings.isEmpty());
    EXPECT_TRUE(w.window.texts("lstResult").isEmpty()) << "an ignored rename has no line";
    EXPECT_EQ(w.flFile()->ListCount(), 0);
    EXPECT_TRUE(w.choice().isEmpty());
    EXPECT_EQ(w.window.end.ends, 0);

    w.window.box.errors.clear();
    QTest::mouseClick(w.window.get<QWidget>("cmdRefresh_2"), Qt::LeftButton);
    w.expectMovedAboveTheCard(vanishCases[0]);
    EXPECT_EQ(w.choice(), strings({"outside.mp3"}));
}

TEST(VanishingVolume, APreviewAfterItWentReportsPathNotFoundAndIgnoreGoesOn)
{
    CardWindow w; // the lists were read while the card was there
    w.vanish(vanishCases[0]);
    w.window.box.answerAll(MessageBoxService::Ignore, 1);
    w.window.get<CheckBox>("chkUp")->setValue(1);
    ASSERT_EQ(w.window.box.errors.size(), 1);
    EXPECT_EQ(
        w.window.box.errors[0].text,
        QStringLiteral("I'm sorry, Run-time error occured!\r\nDetails:\r\nError Number = 76\r\n"
                       "Error Description = Path not found\r\nError Line = 0"));
    EXPECT_EQ(w.window.texts("lstPreview"), strings({"song.MP3"}));
}
