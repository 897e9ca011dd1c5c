#include "drivelist.h"
#include "faultyfs.h"
#include "filelist.h"
#include "folderlist.h"
#include "form1.h"
#include "listbox.h"
#include "simplecontrols.h"
#include "tempfolder.h"
#include "testsupport.h"
#include "textbox.h"

#include <QDir>
#include <QTest>

using namespace tessaly;
using tessaly::test::FaultyFileSystem;
using tessaly::test::TempFolder;
using tessaly::test::Window;

namespace {

QStringList strings(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* i : items)
        out.append(QString::fromUtf8(i));
    return out;
}

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

TEST_F(BrowserTest, ChoosingADriveMovesTheFolderList)
{
    TempFolder card({QStringLiteral("song.mp3")});
    fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}};
    auto* drives = window.get<DriveList>("drvDrive");
    drives->Refresh();
    drives->setDrive(card.path());
    EXPECT_EQ(dirDir()->Path(), card.path());
    EXPECT_EQ(form()->ActDir(), card.path());
    EXPECT_EQ(choice(), strings({"song.mp3"}));

    drives->setMarker(QStringLiteral("b")); // while set, a drive change leaves the folders alone
    drives->setDrive(QStringLiteral("/"));
    EXPECT_EQ(dirDir()->Path(), card.path());
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
