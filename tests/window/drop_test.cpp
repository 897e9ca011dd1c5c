#include "controls/droppoint.h"
#include "core/dragdata.h"
#include "windowfixture.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr Qt::DropActions AnyEffect = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
// What a drag from the drop point offers: a receiver that moved the folder would take it away.
constexpr Qt::DropActions CopyOrLink = Qt::CopyAction | Qt::LinkAction;

// File URLs of local paths, as a file manager drags them.
std::unique_ptr<QMimeData> filesData(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls.append(QUrl::fromLocalFile(p));
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

std::unique_ptr<QMimeData> uriListData(const QByteArray& list)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("text/uri-list"), list);
    return data;
}

} // namespace

class DropTest : public WindowTest {
protected:
    DropTest()
        : WindowTest({QStringLiteral("Track 10.mp3"), QStringLiteral("Track 2.MP3"),
                      QStringLiteral("cover.jpg"), QStringLiteral("Album/01 intro.mp3"),
                      QStringLiteral("Live/02 crowd.mp3")})
    {
        // Connected after the window's own handlers, so these see what they left.
        QObject::connect(drives(), &DriveList::Change, [this] {
            driveChanges.append(drives()->mountPoint() + u' ' + drives()->Marker());
        });
        QObject::connect(dirDir(), &FolderList::Change, [this] {
            folderChanges.append(dirDir()->Path());
            EXPECT_TRUE(drives()->Marker().isEmpty()) << "the folder list moved by the drive";
        });
    }

    void TearDown() override
    {
        EXPECT_TRUE(drives()->Marker().isEmpty()); // after every drop, whatever its end
    }

    DropPoint* point() const { return get<DropPoint>("picDragDrop"); }
    QString txtDir() const { return text("txtDir")->Text(); }

    // Shows a folder afresh, as the user opens it, then forgets what that raised.
    void show(const QString& path)
    {
        dirDir()->setFolder(path == u"/" ? folder.path() : QStringLiteral("/"));
        dirDir()->setFolder(path);
        ASSERT_EQ(form()->ActDir(), path);
        forget();
    }
    void forget()
    {
        driveChanges.clear();
        folderChanges.clear();
        fs.attributesRead.clear();
    }

    // Drops data on the drop point as the platform does: an enter that must be accepted, then
    // the drop. Gives the effect the drop was taken with, IgnoreAction if refused.
    Qt::DropAction drop(const QMimeData& data, Qt::DropActions possible = AnyEffect,
                        Qt::DropAction proposed = Qt::CopyAction)
    {
        const QPoint at = point()->rect().center();
        QDragEnterEvent enter(at, possible, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setDropAction(proposed);
        QApplication::sendEvent(point(), &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent dropped(QPointF(at), possible, &data, Qt::LeftButton, Qt::NoModifier);
        dropped.setDropAction(proposed);
        QApplication::sendEvent(point(), &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    }
    Qt::DropAction dropPaths(const QStringList& paths) { return drop(*filesData(paths)); }

    void expectShown(const QString& path)
    {
        EXPECT_EQ(dirDir()->Path(), path);
        EXPECT_EQ(flFile()->Path(), path);
        EXPECT_EQ(txtDir(), path);
    }

    QStringList driveChanges;  // mount point and Marker at each drive change
    QStringList folderChanges; // folder at each folder list change
};

TEST_F(DropTest, FolderOnTheCurrentDriveBecomesTheActiveFolder)
{
    ASSERT_EQ(form()->ActDir(), QStringLiteral("/"));
    forget();
    EXPECT_EQ(dropPaths({folder.path()}), Qt::CopyAction);
    expectShown(folder.path());
    EXPECT_EQ(form()->ActDir(), folder.path()); // the folder list's form, without the "/"
    EXPECT_EQ(lines("lstChoice"), strings({"Track 2.MP3", "Track 10.mp3"}));
    EXPECT_EQ(drives()->mountPoint(), QStringLiteral("/"));
    EXPECT_TRUE(driveChanges.isEmpty());
    EXPECT_EQ(folderChanges, QStringList{folder.path()});
    EXPECT_TRUE(window.box.warnings.isEmpty());
}

TEST_F(DropTest, FolderAlreadyShownKeepsTheAppendedSlashAndIsNotRefilled)
{
    // With and without the "/" that some file managers put at the end of a folder's URL.
    for (const QString& url : {folder.path(), folder.path() + u'/'}) {
        show(folder.path());
        get<ListBox>("lstChoice")->RemoveItem(0);
        get<ListBox>("lstPreview")->AddItem(QStringLiteral("kept"));
        EXPECT_EQ(dropPaths({url}), Qt::CopyAction);
        EXPECT_EQ(form()->ActDir(), folder.path() + u'/') << url.toStdString();
        expectShown(folder.path());
        EXPECT_EQ(lines("lstChoice"), strings({"Track 10.mp3"})); // not refilled
        EXPECT_EQ(lines("lstPreview"), strings({"kept"}));
        EXPECT_TRUE(folderChanges.isEmpty());
        QMimeData text; // re-applies ActDir as it is, with its "/"
        text.setText(QStringLiteral("x"));
        drop(text);
        EXPECT_EQ(form()->ActDir(), folder.path() + u'/');
        expectShown(folder.path());
    }
    EXPECT_TRUE(window.box.warnings.isEmpty());
}

TEST_F(DropTest, RootStaysWithoutAnAppendedSlash)
{
    show(folder.path());
    dropPaths({QStringLiteral("/")});
    EXPECT_EQ(form()->ActDir(), QStringLiteral("/"));
    expectShown(QStringLiteral("/"));
    EXPECT_EQ(folderChanges, QStringList{QStringLiteral("/")});
}

TEST_F(DropTest, FileOrFileFirstGoesToTheRootNotToTheFilesFolder)
{
    const QStringList drops[] = {
        {folder.pathOf(QStringLiteral("Album/01 intro.mp3"))},
        {folder.pathOf(QStringLiteral("Track 2.MP3")), folder.pathOf(QStringLiteral("Album"))}};
    for (const QStringList& paths : drops) {
        show(folder.path());
        EXPECT_EQ(dropPaths(paths), Qt::CopyAction);
        EXPECT_EQ(form()->ActDir(), QStringLiteral("/")) << paths.first().toStdString();
        expectShown(QStringLiteral("/"));
        EXPECT_EQ(fs.attributesRead, QStringList{paths.first()});
    }
    EXPECT_TRUE(window.box.warnings.isEmpty());
}

TEST_F(DropTest, OnlyTheFirstOfSeveralFoldersCounts)
{
    show(folder.path());
    const QString album = folder.pathOf(QStringLiteral("Album"));
    dropPaths({album, folder.pathOf(QStringLiteral("Live")), QStringLiteral("/")});
    EXPECT_EQ(form()->ActDir(), album);
    expectShown(album);
    EXPECT_EQ(lines("lstChoice"), strings({"01 intro.mp3"}));
    EXPECT_EQ(fs.attributesRead, QStringList{album}); // the others are not even looked at
}

TEST_F(DropTest, DataWithoutAFileListReappliesTheActiveFolder)
{
    TempFolder card({QStringLiteral("song.mp3")});
    fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}};
    drives()->Refresh();
    QMimeData text;
    text.setText(QStringLiteral("/etc"));
    QMimeData other;
    other.setData(QStringLiteral("application/x-other"), "data");
    const auto emptyList = uriListData("# nothing\r\n");
    for (const QMimeData* data : {&text, &other, emptyList.get()}) {
        show(folder.path());
        get<ListBox>("lstChoice")->RemoveItem(0);
        // The drive list left on another drive than the folder list, without moving it.
        drives()->setMarker(QStringLiteral("b"));
        drives()->setDrive(card.path());
        drives()->setMarker(QString());
        forget();

        EXPECT_EQ(drop(*data), Qt::CopyAction) << data->formats().join(u' ').toStdString();
        EXPECT_EQ(form()->ActDir(), folder.path());
        expectShown(folder.path());
        EXPECT_EQ(drives()->mountPoint(), QStringLiteral("/"));   // set again from ActDir
        EXPECT_EQ(lines("lstChoice"), strings({"Track 10.mp3"})); // nothing else changed
        EXPECT_TRUE(folderChanges.isEmpty());
        EXPECT_TRUE(fs.attributesRead.isEmpty());
    }
    EXPECT_TRUE(window.box.warnings.isEmpty());
}

TEST_F(DropTest, FolderOnAnotherVolumeMovesBothListsWithoutTheDrivesLastFolder)
{
    TempFolder card({QStringLiteral("Album/x.mp3"), QStringLiteral("Other/y.mp3")});
    fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}};
    // The card is mounted after the drive list last looked; its last folder is Other.
    show(card.pathOf(QStringLiteral("Other")));
    show(folder.path());

    const QString album = card.pathOf(QStringLiteral("Album"));
    dropPaths({album});
    EXPECT_EQ(drives()->mountPoint(), card.path());
    EXPECT_EQ(drives()->Drive(), card.path() + QStringLiteral(" [CARD]"));
    // Marker was "b" while the drive changed, so only the drop moved the folder list.
    EXPECT_EQ(driveChanges, QStringList{card.path() + QStringLiteral(" b")});
    EXPECT_EQ(folderChanges, QStringList{album});
    EXPECT_EQ(form()->ActDir(), album);
    expectShown(album);
    EXPECT_EQ(lines("lstChoice"), strings({"x.mp3"}));
}

TEST_F(DropTest, FolderOnARealSecondVolume)
{
    QString mountPoint;
    PosixFileSystem posix;
    for (const Volume& v : posix.volumes()) {
        try {
            if (v.mountPoint != u"/" && (posix.subfolders(v.mountPoint), true)) {
                mountPoint = v.mountPoint;
                break;
            }
        } catch (const RunTimeError&) {
        }
    }
    if (mountPoint.isEmpty())
        GTEST_SKIP() << "no readable volume besides / is mounted on this machine";
    dropPaths({mountPoint});
    EXPECT_EQ(drives()->mountPoint(), mountPoint);
    EXPECT_EQ(form()->ActDir(), mountPoint);
    expectShown(mountPoint);
}

TEST_F(DropTest, FailedDropWarnsAndLeavesBothListsOnTheShownFolder)
{
    TempFolder card({QStringLiteral("Locked/x.mp3")});
    fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}};
    const QString gone = folder.pathOf(QStringLiteral("Gone"));
    const QString live = folder.pathOf(QStringLiteral("Live"));
    const QString locked = card.pathOf(QStringLiteral("Locked"));
    const QString album = folder.pathOf(QStringLiteral("Album"));
    fs.failingAttributes.insert(live, ErrorCode::PermissionDenied);
    fs.unreadable.insert(locked, ErrorCode::PermissionDenied); // fails after the drive change
    fs.unreadable.insert(album, ErrorCode::DeviceIO);
    const struct {
        QString item;
        const char* reason;
    } cases[] = {{gone, "File not found"},
                 {live, "Permission denied"},
                 {locked, "Permission denied"},
                 {album, "Device I/O error"}};
    for (const auto& c : cases) {
        show(folder.path());
        get<ListBox>("lstChoice")->RemoveItem(0);
        window.box.warnings.clear();
        dropPaths({c.item, folder.path()}); // the second item is never tried
        ASSERT_EQ(window.box.warnings.size(), 1) << c.item.toStdString();
        EXPECT_TRUE(window.box.warnings[0].text.startsWith(QString::fromUtf8(c.reason)));
        EXPECT_TRUE(window.box.warnings[0].text.contains(c.item));
        EXPECT_EQ(form()->ActDir(), folder.path());
        expectShown(folder.path());
        EXPECT_EQ(drives()->mountPoint(), QStringLiteral("/")) << c.item.toStdString();
        EXPECT_EQ(lines("lstChoice"), strings({"Track 2.MP3", "Track 10.mp3"})); // read afresh
    }
}

TEST_F(DropTest, UrlsOfOtherMachinesAreRefusedWithoutBeingRead)
{
    const char* urls[] = {"https://example.com/music/", "smb://server/share/music",
                          "file://server/share/music", "sftp://me@host/home/me",
                          "file:///tmp/a%00b"};
    for (const char* url : urls) {
        show(folder.path());
        window.box.warnings.clear();
        EXPECT_EQ(drop(*uriListData(QByteArray(url) + "\r\n")), Qt::CopyAction);
        ASSERT_EQ(window.box.warnings.size(), 1) << url;
        const bool nul = QByteArray(url).contains("%00");
        EXPECT_TRUE(window.box.warnings[0].text.startsWith(
            nul ? QStringLiteral("Bad file name") : QStringLiteral("Device unavailable")))
            << url;
        EXPECT_TRUE(fs.attributesRead.isEmpty()) << url;
        EXPECT_EQ(form()->ActDir(), folder.path());
        expectShown(folder.path());
        EXPECT_TRUE(folderChanges.isEmpty());
    }
}

TEST_F(DropTest, FolderWhoseNameIsNotUtf8)
{
    const QByteArray cafe = encodePath(folder.path()) + "/caf\xe9";
    ASSERT_TRUE(createEntry(folder.path(), "caf\xe9", folderMark));
    ASSERT_TRUE(createEntry(decodePath(cafe), "a.mp3", {}));
    show(folder.path());
    drop(*uriListData("file://" + cafe.toPercentEncoding("/") + "\r\n"));
    EXPECT_EQ(form()->ActDir(), decodePath(cafe));
    expectShown(decodePath(cafe));
    EXPECT_EQ(lines("lstChoice"), strings({"a.mp3"}));
}

TEST_F(DropTest, DropIsTakenAsACopyEvenWhenAMoveIsProposed)
{
    // A source told "moved" may delete what it dragged: the point only reads the path.
    show(folder.path());
    const auto data = filesData({folder.pathOf(QStringLiteral("Album"))});
    EXPECT_EQ(drop(*data, AnyEffect, Qt::MoveAction), Qt::CopyAction);
    EXPECT_EQ(form()->ActDir(), folder.pathOf(QStringLiteral("Album")));
    show(folder.path());
    EXPECT_EQ(drop(*data, Qt::MoveAction | Qt::LinkAction, Qt::MoveAction), Qt::LinkAction);
    show(folder.path());
    EXPECT_EQ(drop(*data, Qt::MoveAction, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(form()->ActDir(), folder.path()); // refused at the enter: nothing happened
}

TEST_F(DropTest, DropWithoutAnAcceptedEnterIsNotDelivered)
{
    // The platform fact the drop helper relies on.
    show(folder.path());
    const auto data = filesData({folder.pathOf(QStringLiteral("Album"))});
    QDropEvent dropped(QPointF(point()->rect().center()), AnyEffect, data.get(), Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(point(), &dropped);
    EXPECT_EQ(form()->ActDir(), folder.path());
    drop(*data);
    EXPECT_EQ(form()->ActDir(), folder.pathOf(QStringLiteral("Album")));
}

TEST_F(DropTest, AStartPathEntersAsADroppedFolderOrLeavesTheWindowAsItWas)
{
    const QString album = folder.pathOf(QStringLiteral("Album"));
    fs.unreadable.insert(folder.pathOf(QStringLiteral("Live")), ErrorCode::PermissionDenied);
    const QString workingFolder = QDir::currentPath();
    struct Case {
        const char* what;
        QString path;
        QString shown; // also ActDir: the folder list moved, so it has no "/" at the end
        QStringList chosen;
        const char* reason;
    };
    const Case cases[] = {
        {"a folder", folder.path() + u'/', folder.path(), strings({"Track 2.MP3", "Track 10.mp3"}),
         ""},
        {"a file: its folder", folder.pathOf(QStringLiteral("Album/01 intro.mp3")), album,
         strings({"01 intro.mp3"}), ""},
        {"a relative path, from the working folder", QStringLiteral("Live/../Album"), album,
         strings({"01 intro.mp3"}), ""},
        {"a missing path", folder.pathOf(QStringLiteral("gone")), {}, {}, "File not found"},
        {"a folder that cannot be read",
         folder.pathOf(QStringLiteral("Live")),
         {},
         {},
         "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        show(QStringLiteral("/"));
        const QStringList chosenBefore = lines("lstChoice");
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
        const QString reason = form()->startIn(c.path);
        ASSERT_TRUE(QDir::setCurrent(workingFolder));
        EXPECT_EQ(reason, QString::fromUtf8(c.reason));
        if (reason.isEmpty()) {
            expectShown(c.shown);
            EXPECT_EQ(form()->ActDir(), c.shown);
            EXPECT_EQ(lines("lstChoice"), c.chosen);
            EXPECT_EQ(folderChanges, QStringList{c.shown}) << "through the folder list";
        } else {
            expectShown(QStringLiteral("/"));
            EXPECT_EQ(form()->ActDir(), QStringLiteral("/"));
            EXPECT_EQ(lines("lstChoice"), chosenBefore);
            EXPECT_TRUE(folderChanges.isEmpty());
        }
        EXPECT_TRUE(driveChanges.isEmpty());
        EXPECT_TRUE(window.box.warnings.isEmpty()) << "a start path's failure is no message box";
    }
}

TEST_F(DropTest, WindowTakesTheFocusAfterADrop)
{
    QWidget fileManager;
    for (const QString& path : {folder.path(), folder.pathOf(QStringLiteral("Gone"))}) {
        fileManager.show();
        fileManager.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&fileManager));
        dropPaths({path});
        EXPECT_TRUE(QTest::qWaitForWindowActive(form())) << path.toStdString();
    }
    EXPECT_EQ(window.box.warnings.size(), 1); // the second folder does not exist
}

// ---- drags from the drop point -------------------------------------------------------------

class DragTest : public DropTest {
protected:
    // Emits the drop point's start of a drag on `source`, wired as the drop point wires it.
    void startDrag(DragSourceData& source, qint32& allowed)
    {
        source.onRequest = [this, &source](int format) {
            DragData request(&source);
            Q_EMIT point()->OLESetData(request, qint16(format));
        };
        DragData data(&source);
        Q_EMIT point()->OLEStartDrag(data, allowed);
    }
    static QStringList offered(const QMimeData& data)
    {
        QStringList out;
        for (const QUrl& url : data.urls())
            out.append(url.toLocalFile());
        return out;
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, QPointF(at), QPointF(point()->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(point(), &e);
    }
};

TEST_F(DragTest, StartDeclaresTheFileListAndEachRequestOffersTheActiveFolderOfThatMoment)
{
    show(folder.path());
    DragSourceData source;
    DragData(&source).addFile(QStringLiteral("/stale"));
    int requests = 0;
    QObject::connect(point(), &DropPoint::OLESetData, [&] { ++requests; });
    qint32 allowed = qint32(DropPoint::DragEffects.toInt());
    startDrag(source, allowed);
    EXPECT_EQ(allowed, qint32(CopyOrLink.toInt())); // left as the platform offers them
    EXPECT_EQ(source.formats(), QStringList{QStringLiteral("text/uri-list")});
    EXPECT_EQ(fileCount(DragData(&source)), 0); // emptied, contents not given yet
    EXPECT_EQ(requests, 0);

    EXPECT_EQ(offered(source), QStringList{folder.path()});
    show(folder.pathOf(QStringLiteral("Album")));
    EXPECT_EQ(offered(source), QStringList{folder.pathOf(QStringLiteral("Album"))});
    dropPaths({folder.pathOf(QStringLiteral("Album"))}); // the shown folder: ActDir keeps "/"
    const QMimeData& read = source;
    EXPECT_EQ(read.data(QStringLiteral("text/uri-list")),
              QUrl::fromLocalFile(folder.pathOf(QStringLiteral("Album/"))).toEncoded() + "\r\n");
    EXPECT_EQ(requests, 3);
    EXPECT_EQ(fileCount(DragData(&source)), 1); // one entry, however often asked
}

TEST_F(DragTest, PressingAndMovingPastTheDragDistanceStartsADrag)
{
    show(folder.path());
    QStringList offeredAtStart;
    int starts = 0;
    QObject::connect(point(), &DropPoint::OLEStartDrag, [&](DragData& data, qint32& allowed) {
        ++starts;
        EXPECT_EQ(allowed, qint32(CopyOrLink.toInt())) << "never Move";
        offeredAtStart = offered(*data.mimeData()); // read as a target would
    });
    const QPoint from = point()->rect().center();
    const int distance = QApplication::startDragDistance();
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(QEvent::MouseMove, from + QPoint(distance - 1, 0), Qt::LeftButton);
    EXPECT_EQ(starts, 0);
    mouse(QEvent::MouseMove, from + QPoint(0, distance), Qt::NoButton); // button let go
    EXPECT_EQ(starts, 0);
    mouse(QEvent::MouseMove, from + QPoint(distance, 0), Qt::LeftButton);
    ASSERT_EQ(starts, 1);
    EXPECT_EQ(offeredAtStart, QStringList{folder.path()});
    // Here the drag has already ended (offscreen drags end at once); Qt deletes it later.
    const auto* drag = point()->findChild<QDrag*>();
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->supportedActions(), CopyOrLink);
    EXPECT_EQ(drag->defaultAction(), Qt::CopyAction);
    EXPECT_EQ(offered(*drag->mimeData()), QStringList{folder.path()});
    mouse(QEvent::MouseMove, from + QPoint(2 * distance, 0), Qt::LeftButton);
    EXPECT_EQ(starts, 1); // one drag per press
    mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
}
