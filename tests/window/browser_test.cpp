#include "windowfixture.h"

#include <QDir>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;

class BrowserTest : public WindowTest {
protected:
    BrowserTest()
        : WindowTest({QStringLiteral("Track 10.mp3"), QStringLiteral("Track 2.MP3"),
                      QStringLiteral("cover.jpg"), QStringLiteral("notes.txt"),
                      QStringLiteral("Album/01 intro.mp3")})
    {
    }
};

TEST_F(BrowserTest, StartsOnTheRootWithTheMp3Mask)
{
    EXPECT_EQ(form()->ActDir(), QStringLiteral("/"));
    EXPECT_EQ(text("txtDir")->Text(), QStringLiteral("/"));
    EXPECT_EQ(dirDir()->Path(), QStringLiteral("/"));
    EXPECT_EQ(flFile()->Path(), QStringLiteral("/"));
    EXPECT_EQ(flFile()->Pattern(), QStringLiteral("*.mp3"));
    EXPECT_EQ(drives()->mountPoint(), QStringLiteral("/"));
    EXPECT_TRUE(window.box.warnings.isEmpty());
}

TEST_F(BrowserTest, StartsOnTheRootWhateverTheWorkingFolder)
{
    for (const QString& start : {folder.path(), QStringLiteral("/")}) {
        const QString before = QDir::currentPath();
        QDir::setCurrent(start);
        Window other(fs);
        QDir::setCurrent(before);
        EXPECT_EQ(other.form->ActDir(), QStringLiteral("/")) << start.toStdString();
        EXPECT_EQ(other.get<FileList>("flFile")->Path(), QStringLiteral("/"));
        EXPECT_EQ(other.get<TextBox>("txtDir")->Text(), QStringLiteral("/"));
        EXPECT_EQ(other.texts("lstChoice").size(), other.get<FileList>("flFile")->ListCount());
    }
}

TEST_F(BrowserTest, ShowingAFolderFillsTheChosenListInNaturalOrder)
{
    showFolder();
    EXPECT_EQ(form()->ActDir(), folder.path());
    EXPECT_EQ(text("txtDir")->Text(), folder.path());
    EXPECT_EQ(lines("lstChoice"), strings({"Track 2.MP3", "Track 10.mp3"}));
    EXPECT_EQ(text("txtEx")->Text(), QStringLiteral("Track 2.MP3"));
    EXPECT_TRUE(lines("lstPreview").isEmpty());
}

TEST_F(BrowserTest, OpeningASubfolderAndGoingBackToTheRoot)
{
    showFolder();
    openEntry(folder.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(form()->ActDir(), folder.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(text("txtDir")->Text(), folder.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(lines("lstChoice"), strings({"01 intro.mp3"}));
    openEntry(QStringLiteral("/"));
    EXPECT_EQ(form()->ActDir(), QStringLiteral("/"));
    EXPECT_EQ(text("txtDir")->Text(), QStringLiteral("/"));
}

TEST_F(BrowserTest, EachActionReadsTheFolderOnceForTheFolderListTheFileListAndThePreview)
{
    showFolder();
    const auto reads = [&] {
        return std::exchange(fs.listings, 0) + std::exchange(fs.fileReads, 0) +
               std::exchange(fs.subfolderReads, 0);
    };
    reads();
    openEntry(folder.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(reads(), 1) << "opening a folder";
    refresh();
    EXPECT_EQ(reads(), 1) << "REFRESH";
    check("chkUp")->setValue(1);
    EXPECT_EQ(reads(), 0) << "a preview";
    proceed();
    EXPECT_EQ(reads(), 1) << "PROCEED";
    EXPECT_EQ(lines("lstChoice"), strings({"01 intro.MP3"}));
    // The next action reads afresh.
    folder.file(QStringLiteral("Album/02 new.mp3"));
    text("txtFilter")->setText(QStringLiteral("*.MP3"));
    EXPECT_EQ(lines("lstChoice"), strings({"01 intro.MP3", "02 new.mp3"}));
}

TEST_F(BrowserTest, MaskWithAForbiddenCharacterBecomesStar)
{
    showFolder();
    // The whole mask goes at the moment the character is typed.
    for (const char* typed : {"*.mp3;", "a/", "c:", "back\\"}) {
        text("txtFilter")->setText(QStringLiteral("*.mp3"));
        text("txtFilter")->clear();
        QTest::keyClicks(text("txtFilter"), QString::fromUtf8(typed));
        EXPECT_EQ(text("txtFilter")->Text(), QStringLiteral("*")) << typed;
        EXPECT_EQ(flFile()->Pattern(), QStringLiteral("*")) << typed;
        EXPECT_EQ(lines("lstChoice").size(), 4) << typed;
    }
    QTest::keyClicks(text("txtFilter"), QStringLiteral(".txt"));
    EXPECT_EQ(text("txtFilter")->Text(), QStringLiteral("*.txt"));
    EXPECT_EQ(lines("lstChoice"), strings({"notes.txt"}));
}

TEST_F(BrowserTest, TypingAMaskRefiltersAtEveryKeystroke)
{
    showFolder();
    auto* filter = text("txtFilter");
    filter->selectAll();
    QTest::keyClicks(filter, QStringLiteral("*.t"));
    EXPECT_EQ(flFile()->Pattern(), QStringLiteral("*.t"));
    EXPECT_TRUE(lines("lstChoice").isEmpty());
    EXPECT_EQ(text("txtEx")->Text(), QString());
    QTest::keyClicks(filter, QStringLiteral("xt"));
    EXPECT_EQ(lines("lstChoice"), strings({"notes.txt"}));
}

TEST_F(BrowserTest, EmptyMaskListsEveryFile)
{
    showFolder();
    text("txtFilter")->setText(QString());
    EXPECT_EQ(flFile()->Pattern(), QString());
    EXPECT_EQ(lines("lstChoice"),
              strings({"cover.jpg", "notes.txt", "Track 2.MP3", "Track 10.mp3"}));
}

TEST_F(BrowserTest, RefreshRefillsTheChosenListAndEmptiesThePreview)
{
    showFolder();
    auto* chosen = get<ListBox>("lstChoice");
    chosen->RemoveItem(0);
    get<ListBox>("lstPreview")->AddItem(QStringLiteral("stale"));
    folder.file(QStringLiteral("Track 1.mp3"));
    refresh();
    EXPECT_EQ(lines("lstChoice"), strings({"Track 1.mp3", "Track 2.MP3", "Track 10.mp3"}));
    EXPECT_TRUE(lines("lstPreview").isEmpty());
    EXPECT_EQ(text("txtEx")->Text(), QStringLiteral("Track 1.mp3"));
}

TEST_F(BrowserTest, ClickInTheFileListChangesOnlyTheExample)
{
    showFolder();
    get<ListBox>("lstPreview")->AddItem(QStringLiteral("kept"));
    auto* files = flFile();
    const QRect second = files->visualRect(files->model()->index(1, 0));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(text("txtEx")->Text(), QStringLiteral("Track 10.mp3"));
    EXPECT_EQ(lines("lstChoice"), strings({"Track 2.MP3", "Track 10.mp3"}));
    EXPECT_EQ(lines("lstPreview"), strings({"kept"}));
}

TEST_F(BrowserTest, FolderWithoutMatchesEmptiesTheLists)
{
    folder.folder(QStringLiteral("empty"));
    showFolder();
    get<ListBox>("lstPreview")->AddItem(QStringLiteral("stale"));
    showFolder(QStringLiteral("empty"));
    EXPECT_EQ(flFile()->ListCount(), 0);
    EXPECT_TRUE(lines("lstChoice").isEmpty());
    EXPECT_TRUE(lines("lstPreview").isEmpty());
    EXPECT_EQ(text("txtEx")->Text(), QString());
}

TEST_F(BrowserTest, FolderDeletedWhileShownMovesTheBrowserUpOnRefresh)
{
    showFolder(QStringLiteral("Album"));
    folder.remove(QStringLiteral("Album"));
    refresh();
    ASSERT_EQ(window.box.warnings.size(), 1);
    EXPECT_TRUE(window.box.warnings[0].text.contains(QStringLiteral("Path not found")));
    EXPECT_EQ(dirDir()->Path(), folder.path());
    EXPECT_EQ(form()->ActDir(), folder.path());
    EXPECT_EQ(flFile()->Path(), folder.path());
    EXPECT_EQ(lines("lstChoice"), strings({"Track 2.MP3", "Track 10.mp3"}));
}

TEST_F(BrowserTest, UnreadableFolderWarnsAndStaysOnAReadableOne)
{
    showFolder();
    fs.unreadable.insert(folder.pathOf(QStringLiteral("Album")), ErrorCode::PermissionDenied);
    openEntry(folder.pathOf(QStringLiteral("Album")));
    ASSERT_EQ(window.box.warnings.size(), 1);
    EXPECT_TRUE(window.box.warnings[0].text.contains(QStringLiteral("Permission denied")));
    EXPECT_EQ(dirDir()->Path(), folder.path());
    EXPECT_EQ(form()->ActDir(), folder.path());
    EXPECT_EQ(lines("lstChoice"), strings({"Track 2.MP3", "Track 10.mp3"}));
}

TEST_F(BrowserTest, MaskTypedWhileTheFolderVanishedMovesUp)
{
    showFolder(QStringLiteral("Album"));
    folder.remove(QStringLiteral("Album"));
    text("txtFilter")->setText(QStringLiteral("*.jpg"));
    ASSERT_EQ(window.box.warnings.size(), 1);
    EXPECT_EQ(form()->ActDir(), folder.path());
    EXPECT_EQ(lines("lstChoice"), strings({"cover.jpg"}));
}

TEST_F(BrowserTest, ChoosingADriveOpensTheFolderLastCurrentOnIt)
{
    TempFolder card({QStringLiteral("song.mp3")});
    fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}};
    drives()->Refresh();
    showFolder(); // on the root volume
    const auto choose = [&](const QString& text) {
        const int index = drives()->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        drives()->setCurrentIndex(index); // as a pick from the drop-down list
    };
    choose(card.path() + QStringLiteral(" [CARD]"));
    EXPECT_EQ(dirDir()->Path(), card.path());
    EXPECT_EQ(form()->ActDir(), card.path());
    EXPECT_EQ(lines("lstChoice"), strings({"song.mp3"}));
    choose(drives()->volumes().first().text()); // the root volume, "/" without a label
    EXPECT_EQ(dirDir()->Path(), folder.path());
    EXPECT_EQ(form()->ActDir(), folder.path());
    EXPECT_EQ(lines("lstChoice"), strings({"Track 2.MP3", "Track 10.mp3"}));

    drives()->setMarker(QStringLiteral("b")); // while set, a drive change leaves the folders alone
    choose(card.path() + QStringLiteral(" [CARD]"));
    EXPECT_EQ(dirDir()->Path(), folder.path());
}

TEST_F(BrowserTest, LargeFolderListsEveryFile)
{
    // More entries than a 16-bit list could hold.
    folder.folder(QStringLiteral("big"));
    for (int i = 0; i < 40000; ++i)
        QFile(folder.pathOf(QStringLiteral("big/%1.mp3").arg(i))).open(QIODevice::WriteOnly);
    showFolder(QStringLiteral("big"));
    EXPECT_EQ(flFile()->ListCount(), 40000);
    ASSERT_EQ(lines("lstChoice").size(), 40000);
    EXPECT_EQ(lines("lstChoice").first(), QStringLiteral("0.mp3"));
    EXPECT_EQ(lines("lstChoice").last(), QStringLiteral("39999.mp3"));
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
    friend void PrintTo(const VanishCase& c, std::ostream* os) { *os << c.what; }
};

const VanishCase vanishCases[] = {
    {"Unmounted", Vanish::Removed, ErrorCode::PathNotFound, "Path not found"},
    {"MediumPulled", Vanish::Unreadable, ErrorCode::DeviceIO, "Device I/O error"},
    {"NotReady", Vanish::Unreadable, ErrorCode::DiskNotReady, "Disk not ready"},
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
class CardTest : public WindowTest {
protected:
    CardTest()
        : WindowTest({QStringLiteral("media/outside.mp3"), QStringLiteral("media/CARD/top.mp3"),
                      QStringLiteral("media/CARD/Album/song.mp3")})
    {
        fs.extraVolumes = {{card(), QStringLiteral("CARD")}};
        drives()->Refresh();
        drives()->setDrive(card());
        openEntry(card() + QStringLiteral("/Album"));
    }
    QString media() const { return folder.pathOf(QStringLiteral("media")); }
    QString card() const { return folder.pathOf(QStringLiteral("media/CARD")); }

    // Unmounted: the volume leaves the list and its mount point goes. Pulled out or not
    // ready: still mounted, but reading fails.
    void vanish(const VanishCase& c)
    {
        if (c.how == Vanish::Removed) {
            fs.extraVolumes.clear();
            folder.remove(QStringLiteral("media/CARD"));
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
        ASSERT_EQ(lines("lstChoice").size(), flFile()->ListCount());
        for (int i = 0; i < flFile()->ListCount(); ++i)
            EXPECT_EQ(lines("lstChoice")[i], flFile()->List(i));
        EXPECT_EQ(text("txtEx")->Text(), flFile()->List(0));
        EXPECT_EQ(drives()->mountPoint(), QStringLiteral("/"))
            << "the drive list shows the drive of the folder shown";
        EXPECT_EQ(driveTexts(drives()).contains(card() + QStringLiteral(" [CARD]")),
                  c.how != Vanish::Removed)
            << "an unmounted volume leaves the drive list";
        EXPECT_TRUE(window.box.errors.isEmpty());
    }
};

// Each way a volume can go.
class VanishingVolume : public CardTest, public ::testing::WithParamInterface<VanishCase> {};

INSTANTIATE_TEST_SUITE_P(Ways, VanishingVolume, ::testing::ValuesIn(vanishCases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_P(VanishingVolume, RefreshMovesTheBrowserAboveIt)
{
    ASSERT_EQ(lines("lstChoice"), strings({"song.mp3"}));
    vanish(GetParam());
    refresh();
    expectMovedAboveTheCard(GetParam());
    EXPECT_EQ(lines("lstChoice"), strings({"outside.mp3"}));
}

TEST_P(VanishingVolume, TypingAMaskMovesTheBrowserAboveIt)
{
    vanish(GetParam());
    QTest::keyClicks(text("txtFilter"), QStringLiteral("x"));
    expectMovedAboveTheCard(GetParam());
    EXPECT_EQ(flFile()->Pattern(), QStringLiteral("*.mp3x"));
    EXPECT_TRUE(lines("lstChoice").isEmpty());
}

TEST_P(VanishingVolume, ChoosingItFromAStaleDriveListWarnsAndStaysReadable)
{
    drives()->setDrive(QStringLiteral("/"));
    dirDir()->setPath(media() + u'/');
    window.box.warnings.clear();
    vanish(GetParam());
    drives()->setDrive(card() + QStringLiteral(" [CARD]")); // as the list showed it
    expectMovedAboveTheCard(GetParam());
    EXPECT_EQ(lines("lstChoice"), strings({"outside.mp3"}));
}

TEST_F(CardTest, ProceedReportsItsFailuresThenMovesTheBrowserUp)
{
    // Inside PROCEED the failures of making the folder current, of the rename and of the
    // folder list's refresh go to the run-time error report; then the browser moves up to a
    // folder it can show, and the rest of the run works there.
    check("chkUp")->setValue(1);
    ASSERT_EQ(lines("lstPreview"), strings({"song.MP3"}));
    vanish(vanishCases[0]);
    window.box.answerAll(MessageBoxService::Ignore, 20);
    proceed();
    ASSERT_EQ(window.box.errors.size(), 3) << "step 3, the rename, the folder list's refresh";
    for (const auto& e : window.box.errors) {
        EXPECT_TRUE(e.text.contains(QStringLiteral("Error Number = 76\r\n")))
            << e.text.toStdString();
        EXPECT_TRUE(e.text.contains(QStringLiteral("Error Description = Path not found")));
    }
    EXPECT_TRUE(window.box.warnings.isEmpty()) << "the report told already";
    EXPECT_EQ(lines("lstResult"), strings({"File \"song.mp3\" not renamed: Path not found"}));
    EXPECT_EQ(dirDir()->Path(), media());
    EXPECT_EQ(form()->ActDir(), media());
    EXPECT_EQ(text("txtDir")->Text(), media());
    EXPECT_EQ(flFile()->Path(), media());
    EXPECT_EQ(drives()->mountPoint(), QStringLiteral("/"));
    EXPECT_EQ(lines("lstChoice"), strings({"outside.mp3"}));
    EXPECT_EQ(lines("lstPreview"), strings({"outside.mp3"})) << "chkUp's clearing previewed here";
    EXPECT_EQ(window.end.ends, 0);
}

TEST_F(CardTest, APreviewAfterItWentReportsPathNotFoundAndIgnoreGoesOn)
{
    // The lists were read while the card was there.
    vanish(vanishCases[0]);
    window.box.answerAll(MessageBoxService::Ignore, 1);
    check("chkUp")->setValue(1);
    ASSERT_EQ(window.box.errors.size(), 1);
    EXPECT_EQ(
        window.box.errors[0].text,
        QStringLiteral("I'm sorry, Run-time error occured!\r\nDetails:\r\nError Number = 76\r\n"
                       "Error Description = Path not found\r\nError Line = 0"));
    EXPECT_EQ(lines("lstPreview"), strings({"song.MP3"}));
}
