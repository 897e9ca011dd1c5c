#include "core/posixfilesystem.h"
#include "core/runtimeerror.h"
#include "playedcalls.h"
#include "tempfolder.h"
#include "testsupport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::test;

// A folder's entries by the bytes of their names, with their contents.
using Entries = QMap<QByteArray, QByteArray>;

// ---- the platform's own behaviour, on this machine's file systems ---------------------

TEST(RenameFacts, NoReplaceRefusesExistingNamesButPlainRenameBetweenHardLinksDoesNothing)
{
    TempFolder t({QStringLiteral("a"), QStringLiteral("b")});
    const QByteArray pa = encodePath(t.pathOf(QStringLiteral("a")));
    const QByteArray pb = encodePath(t.pathOf(QStringLiteral("b")));
    const QByteArray pc = encodePath(t.pathOf(QStringLiteral("c")));
    const char* a = pa.constData();
    const char* b = pb.constData();
    const char* c = pc.constData();
    errno = 0;
    EXPECT_EQ(renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_NOREPLACE), -1);
    EXPECT_EQ(errno, EEXIST);
    errno = 0;
    EXPECT_EQ(renameat2(AT_FDCWD, a, AT_FDCWD, a, RENAME_NOREPLACE), -1);
    EXPECT_EQ(errno, EEXIST) << "a rename onto the file's own name";
    errno = 0;
    EXPECT_EQ(link(a, b), -1);
    EXPECT_EQ(errno, EEXIST);
    ASSERT_EQ(link(a, c), 0);
    errno = 0;
    EXPECT_EQ(renameat2(AT_FDCWD, a, AT_FDCWD, c, RENAME_NOREPLACE), -1);
    EXPECT_EQ(errno, EEXIST) << "a rename onto another hard link of the same file";
    EXPECT_EQ(::rename(a, c), 0) << "POSIX: a rename between links of one file does nothing";
    EXPECT_TRUE(t.exists(QStringLiteral("a")));
    EXPECT_TRUE(t.exists(QStringLiteral("c")));
}

// ---- renames in a real folder ------------------------------------------------------------

TEST(PosixRename, RenamesTheFileAndKeepsItsContent)
{
    TempFolder t;
    t.file(QStringLiteral("old.mp3"), "music");
    PosixFileSystem fs;
    fs.rename(t.path(), "old.mp3", QStringLiteral("new.mp3"));
    EXPECT_EQ(t.names(), QStringList{QStringLiteral("new.mp3")});
    EXPECT_EQ(t.read(QStringLiteral("new.mp3")), "music");
    fs.rename(t.path() + u'/', "new.mp3", QStringLiteral("again.mp3"));
    EXPECT_EQ(t.names(), QStringList{QStringLiteral("again.mp3")});
}

TEST(PosixRename, NeverReplacesAnotherFile)
{
    struct {
        const char* from;
        const char* to;
        bool hardLink; // `to` is another hard link of `from`
    } cases[] = {
        {"a.mp3", "b.mp3", false},       {"a.mp3", "a.mp3", false}, // the file's own name
        {"song.mp3", "song.MP3", false}, // another file apart only in case
        {"a.mp3", "b.mp3", true},        {"song.mp3", "SONG.mp3", true},
    };
    for (const auto& c : cases) {
        TempFolder t;
        const QString from = u8(c.from);
        const QString to = u8(c.to);
        t.file(from, "first");
        if (c.hardLink)
            ASSERT_TRUE(t.hardLink(from, to));
        else if (from != to)
            t.file(to, "second");
        const QStringList before = t.names();
        PosixFileSystem fs;
        EXPECT_EQ(codeOf([&] { fs.rename(t.path(), from.toUtf8(), to); }), ErrorCode::FileExists)
            << c.from << " -> " << c.to << (c.hardLink ? " (hard link)" : "");
        EXPECT_EQ(t.names(), before) << c.from << " -> " << c.to;
        EXPECT_EQ(t.read(from), "first");
        EXPECT_EQ(t.read(to), from == to || c.hardLink ? "first" : "second");
    }
}

TEST(PosixRename, MissingFileOrFolderFail)
{
    TempFolder t({QStringLiteral("target.mp3"), QStringLiteral("plain")});
    PosixFileSystem fs;
    EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "gone.mp3", QStringLiteral("x.mp3")); }),
              ErrorCode::FileNotFound);
    EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "gone.mp3", QStringLiteral("target.mp3")); }),
              ErrorCode::FileNotFound)
        << "a missing file counts before an existing target";
    EXPECT_EQ(
        codeOf([&] { fs.rename(t.pathOf(QStringLiteral("nofolder")), "a", QStringLiteral("b")); }),
        ErrorCode::PathNotFound);
    EXPECT_EQ(
        codeOf([&] { fs.rename(t.pathOf(QStringLiteral("plain")), "a", QStringLiteral("b")); }),
        ErrorCode::PathNotFound)
        << "the folder is a file";
    EXPECT_EQ(codeOf([&] { fs.rename(QString(), "a", QStringLiteral("b")); }),
              ErrorCode::PathNotFound);
    // Old names that are not names of the folder's files never reach another file.
    t.file(QStringLiteral("sub/inner"));
    for (const QByteArray& old : {QByteArray(), QByteArray("."), QByteArray(".."),
                                  QByteArray("sub/inner"), QByteArray("target.mp3\0x", 12)})
        EXPECT_EQ(codeOf([&] { fs.rename(t.path(), old, QStringLiteral("moved")); }),
                  ErrorCode::FileNotFound)
            << old.toHex().constData();
    EXPECT_FALSE(t.exists(QStringLiteral("moved")));
    EXPECT_TRUE(t.exists(QStringLiteral("sub/inner")));
}

TEST(PosixRename, InvalidNewNamesFailAndMoveNothing)
{
    const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const QString names[] = {
        QString(),
        QStringLiteral("."),
        QStringLiteral(".."),
        QStringLiteral("a/b"),
        QStringLiteral("sub/x.mp3"),
        QStringLiteral("../x.mp3"),
        QStringLiteral("/tmp/x.mp3"),
        QStringLiteral("x.mp3/"),
        nul,
        QString(256, u'x'),
        QString(128, QChar(0xE9)), // 128 characters, 256 bytes
    };
    for (const QString& name : names) {
        TempFolder t;
        t.file(QStringLiteral("old.mp3"));
        t.folder(QStringLiteral("a"));
        t.folder(QStringLiteral("sub"));
        PosixFileSystem fs;
        EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "old.mp3", name); }), ErrorCode::BadFileName)
            << name.toStdString();
        EXPECT_EQ(t.names(), (QStringList{QStringLiteral("a"), QStringLiteral("old.mp3"),
                                          QStringLiteral("sub")}));
        EXPECT_TRUE(t.names(QStringLiteral("a")).isEmpty());
        EXPECT_TRUE(t.names(QStringLiteral("sub")).isEmpty());
    }
}

TEST(PosixRename, NamesUpToTheLimitOf255BytesAreValid)
{
    const QString names[] = {
        QString(255, u'x'),
        QString(85, QChar(0x20AC)), // "€" is 3 bytes
        QString(127, QChar(0xE9)) + u'x',
    };
    for (const QString& name : names) {
        ASSERT_EQ(encodePath(name).size(), 255);
        TempFolder t;
        t.file(QStringLiteral("old.mp3"), "x");
        PosixFileSystem fs;
        fs.rename(t.path(), "old.mp3", name);
        EXPECT_EQ(readEntries(t.path()).keys(), QList<QByteArray>{encodePath(name)});
    }
}

TEST(PosixRename, UnusualValidNamesAreRenamedExactly)
{
    const QString names[] = {
        QStringLiteral(" leading blank.mp3"),
        QStringLiteral("trailing blank.mp3 "),
        QStringLiteral("trailing dot."),
        QStringLiteral(".hidden"),
        QStringLiteral("..."),
        u8("tab\tand\x01\x1f control.mp3"),
        u8("line\nfeed.mp3"),
        u8("emoji 😀🎵.mp3"),
        u8("e\xcc\x81 combining acute.mp3"),
        u8("שלום עולם.mp3"),
        u8("\xe2\x80\xae"
           "3pm.exe"), // right-to-left override
        u8("back\\slash: *?\"<>|.mp3"),
        u8("Motörhead – Ace.mp3"),
    };
    for (const QString& name : names) {
        TempFolder t;
        t.file(QStringLiteral("old.mp3"), "content");
        PosixFileSystem fs;
        fs.rename(t.path(), "old.mp3", name);
        EXPECT_EQ(readEntries(t.path()), (Entries{{name.toUtf8(), "content"}}))
            << name.toStdString();
    }
}

TEST(PosixRename, NamesThatAreNotUtf8AreRenamedFromTheirBytes)
{
    TempFolder t;
    const QByteArray latin1("Mot\xf6rhead - \xc9t\xe9.mp3");
    const QByteArray cp1250("\x8a"
                            "koda \x9e"
                            "lu\x9d.mp3");
    ASSERT_TRUE(createEntry(t.path(), latin1, "latin1"));
    ASSERT_TRUE(createEntry(t.path(), cp1250, "cp1250"));
    PosixFileSystem fs;
    // The displayed text of such a name is no name on disk.
    EXPECT_EQ(codeOf([&] {
                  fs.rename(t.path(),
                            decodeFileName(latin1.constData(), latin1.size()).name.toUtf8(),
                            QStringLiteral("x.mp3"));
              }),
              ErrorCode::FileNotFound);
    fs.rename(t.path(), latin1, u8("Motörhead - Été.mp3"));
    fs.rename(t.path(), cp1250, u8("Škoda žluť.mp3"));
    EXPECT_EQ(readEntries(t.path()),
              (Entries{{"Motörhead - Été.mp3", "latin1"}, {"Škoda žluť.mp3", "cp1250"}}));
}

TEST(PosixRename, CaseOnlyRenameOnACaseSensitiveFolderIsAnOrdinaryRename)
{
    TempFolder t;
    t.file(QStringLiteral("song.mp3"), "music");
    PosixFileSystem fs;
    EXPECT_FALSE(fs.foldsCase(t.path()));
    fs.rename(t.path(), "song.mp3", QStringLiteral("song.MP3"));
    EXPECT_EQ(t.names(), QStringList{QStringLiteral("song.MP3")});
    EXPECT_EQ(t.read(QStringLiteral("song.MP3")), "music");
}

// ---- file systems played through the system-call seam --------------------------------------

namespace {

bool isTemporary(const QString& call)
{
    return call.contains(QStringLiteral(".tessaly-renaming-"));
}

} // namespace

TEST(PosixRenameFallbacks, WithoutTheNoReplaceFlagRenamesNeverReplace)
{
    struct {
        const char* what;
        bool refuseLinks;
        bool symlink; // the file is a symbolic link, which is never hard-linked
        const char* pathTaken;
    } cases[] = {
        {"hard links", false, false, "link old.mp3 new.mp3"},
        {"check, then rename", true, false, "renameReplacing old.mp3 new.mp3"},
        {"symbolic link", false, true, "renameReplacing old.mp3 new.mp3"},
    };
    for (const auto& c : cases)
        for (const bool noRenameat2 : {false, true}) {
            SCOPED_TRACE(c.what);
            SCOPED_TRACE(noRenameat2 ? "ENOSYS" : "EINVAL");
            TempFolder t;
            if (c.symlink) {
                t.file(QStringLiteral("data"), "linked");
                ASSERT_TRUE(t.symbolicLink(QStringLiteral("data"), QStringLiteral("old.mp3")));
            } else {
                t.file(QStringLiteral("old.mp3"), "old");
            }
            t.file(QStringLiteral("taken.mp3"), "taken");
            PlayedCalls calls;
            calls.refuseNoReplace = true;
            calls.noRenameat2 = noRenameat2;
            calls.refuseLinks = c.refuseLinks;
            PosixFileSystem fs(calls);

            EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "old.mp3", QStringLiteral("taken.mp3")); }),
                      ErrorCode::FileExists);
            EXPECT_EQ(t.read(QStringLiteral("taken.mp3")), "taken");
            EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "gone.mp3", QStringLiteral("x.mp3")); }),
                      ErrorCode::FileNotFound);

            fs.rename(t.path(), "old.mp3", QStringLiteral("new.mp3"));
            EXPECT_TRUE(calls.used(QString::fromLatin1(c.pathTaken)))
                << calls.calls.join(u'\n').toStdString();
            EXPECT_FALSE(t.exists(QStringLiteral("old.mp3")));
            EXPECT_EQ(t.read(QStringLiteral("new.mp3")), c.symlink ? "linked" : "old");
            EXPECT_EQ(t.read(QStringLiteral("taken.mp3")), "taken");
        }
}

TEST(PosixRenameFallbacks, HardLinksBetweenTwoNamesAreNoRenameWithoutTheFlagEither)
{
    for (const bool refuseLinks : {false, true})
        for (const bool noRenameat2 : {false, true}) {
            TempFolder t;
            t.file(QStringLiteral("a.mp3"), "one file");
            ASSERT_TRUE(t.hardLink(QStringLiteral("a.mp3"), QStringLiteral("b.mp3")));
            PlayedCalls calls;
            calls.refuseNoReplace = true;
            calls.noRenameat2 = noRenameat2;
            calls.refuseLinks = refuseLinks;
            PosixFileSystem fs(calls);
            EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "a.mp3", QStringLiteral("b.mp3")); }),
                      ErrorCode::FileExists);
            EXPECT_EQ(t.names(), (QStringList{QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}));
        }
}

TEST(PosixRenameFallbacks, AFailedUnlinkAfterTheLinkLeavesTheFileUnderItsOldName)
{
    TempFolder t;
    t.file(QStringLiteral("old.mp3"), "old");
    PlayedCalls calls;
    calls.refuseNoReplace = true;
    calls.failUnlink = EIO;
    PosixFileSystem fs(calls);
    EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "old.mp3", QStringLiteral("new.mp3")); }),
              ErrorCode::DeviceIO);
    EXPECT_EQ(t.names(), QStringList{QStringLiteral("old.mp3")});
    EXPECT_EQ(t.read(QStringLiteral("old.mp3")), "old");
}

TEST(PosixRenameFallbacks, NamesTheFileSystemRefusesAreBadFileNames)
{
    // The final rename of the fallback refuses the name: EINVAL (as a kernel file system
    // does) or ENOENT with the file still there (as exfat-fuse does).
    for (const int refusal : {EINVAL, ENOENT}) {
        TempFolder t;
        t.file(QStringLiteral("old.mp3"), "old");
        PlayedCalls calls;
        calls.refuseNoReplace = true;
        calls.refuseLinks = true;
        calls.failMove = [&](const QByteArray&, const QByteArray& to) {
            return to == "a:b" ? refusal : 0;
        };
        PosixFileSystem fs(calls);
        EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "old.mp3", QStringLiteral("a:b")); }),
                  ErrorCode::BadFileName)
            << refusal;
        EXPECT_EQ(t.names(), QStringList{QStringLiteral("old.mp3")});
    }
}

TEST(PosixRenameCaseInsensitive, CaseOnlyRenameGoesThroughATemporaryName)
{
    struct {
        const char* what;
        bool refuseNoReplace;
        bool refuseLinks;
    } cases[] = {
        {"with the flag (ext4 casefold)", false, false},
        {"without the flag", true, false},
        {"without flag and links (FAT)", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder t;
        t.file(QStringLiteral("song.mp3"), "music");
        t.file(QStringLiteral("other.mp3"), "other");
        PlayedCalls calls;
        calls.foldCase = true;
        calls.refuseNoReplace = c.refuseNoReplace;
        calls.refuseLinks = c.refuseLinks;
        PosixFileSystem fs(calls);
        EXPECT_TRUE(fs.foldsCase(t.path()));

        fs.rename(t.path(), "song.mp3", QStringLiteral("Song.MP3"));
        EXPECT_EQ(t.names(),
                  (QStringList{QStringLiteral("Song.MP3"), QStringLiteral("other.mp3")}));
        EXPECT_EQ(t.read(QStringLiteral("Song.MP3")), "music");
        EXPECT_TRUE(std::any_of(calls.calls.begin(), calls.calls.end(), isTemporary))
            << calls.calls.join(u'\n').toStdString();

        // Another file that the new name finds is no case-only rename.
        EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "other.mp3", QStringLiteral("SONG.mp3")); }),
                  ErrorCode::FileExists);
        EXPECT_EQ(t.names(),
                  (QStringList{QStringLiteral("Song.MP3"), QStringLiteral("other.mp3")}));
        EXPECT_EQ(t.read(QStringLiteral("other.mp3")), "other");
        // The same spelling is no rename at all.
        EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "other.mp3", QStringLiteral("other.mp3")); }),
                  ErrorCode::FileExists);
    }
}

TEST(PosixRenameCaseInsensitive, AFailingSecondStepPutsTheFileBack)
{
    struct {
        int err;
        int code;
    } cases[] = {{EIO, ErrorCode::DeviceIO},
                 {ENOSPC, ErrorCode::DiskFull},
                 {EACCES, ErrorCode::PermissionDenied},
                 {EROFS, ErrorCode::PathFileAccess},
                 {EEXIST, ErrorCode::FileExists}};
    for (const auto& c : cases) {
        for (const bool refuseFlagAndLinks : {false, true}) {
            TempFolder t;
            t.file(QStringLiteral("song.mp3"), "music");
            PlayedCalls calls;
            calls.foldCase = true;
            calls.refuseNoReplace = calls.refuseLinks = refuseFlagAndLinks;
            calls.failMove = [&](const QByteArray& from, const QByteArray& to) {
                return from.contains(".tessaly-renaming-") && to == "song.MP3" ? c.err : 0;
            };
            PosixFileSystem fs(calls);
            EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "song.mp3", QStringLiteral("song.MP3")); }),
                      c.code)
                << c.err;
            EXPECT_EQ(t.names(), QStringList{QStringLiteral("song.mp3")});
            EXPECT_EQ(t.read(QStringLiteral("song.mp3")), "music");
        }
    }
}

TEST(PosixRenameCaseInsensitive, WhenPuttingBackFailsTooTheFileKeepsATemporaryNameThatSaysWhatItIs)
{
    // The name before, then what happened, never hidden; a long one cut to fit 255 bytes.
    const QString longName = QString(125, QChar(0xE9)) + QStringLiteral(".mp3"); // 254 bytes
    for (const QString& name : {QStringLiteral("song.mp3"), longName}) {
        TempFolder t;
        t.file(name, "music");
        PlayedCalls calls;
        calls.foldCase = true;
        calls.failMove = [](const QByteArray& from, const QByteArray&) {
            return from.contains(".tessaly-renaming-") ? EIO : 0;
        };
        PosixFileSystem fs(calls);
        try {
            fs.rename(t.path(), encodePath(name), name.toUpper());
            ADD_FAILURE() << "no failure reported";
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.code(), ErrorCode::DeviceIO);
            const QStringList names = t.names();
            ASSERT_EQ(names.size(), 1);
            const QString temporary = names[0];
            const qsizetype kept = temporary.indexOf(QStringLiteral(".tessaly-renaming-"));
            ASSERT_GT(kept, 0) << temporary.toStdString();
            EXPECT_TRUE(name.startsWith(temporary.left(kept)));
            const qsizetype bytes = encodePath(temporary).size();
            EXPECT_LE(bytes, 255);
            if (name == longName)
                EXPECT_GE(bytes, 254) << "cut at a character's edge, 2 bytes each";
            else
                EXPECT_EQ(kept, name.size());
            EXPECT_EQ(t.read(temporary), "music");
            EXPECT_TRUE(e.description().startsWith(QStringLiteral("Device I/O error")));
            EXPECT_TRUE(e.description().contains(temporary)) << e.description().toStdString();
        }
    }
}

TEST(PosixRenameCaseInsensitive, AFirstStepThatFailsLeavesEverythingAsItWas)
{
    TempFolder t;
    t.file(QStringLiteral("song.mp3"), "music");
    PlayedCalls calls;
    calls.foldCase = true;
    calls.failMove = [](const QByteArray&, const QByteArray& to) {
        return to.contains(".tessaly-renaming-") ? ENOSPC : 0;
    };
    PosixFileSystem fs(calls);
    EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "song.mp3", QStringLiteral("SONG.MP3")); }),
              ErrorCode::DiskFull);
    EXPECT_EQ(t.names(), QStringList{QStringLiteral("song.mp3")});
}

TEST(PosixRenameCaseInsensitive, HardLinksApartOnlyInCaseAreNoCaseOnlyRename)
{
    // Same device and inode, names equal but for case, on a case-sensitive folder: the
    // second step finds the other link and the file is put back.
    TempFolder t;
    t.file(QStringLiteral("song.mp3"), "music");
    ASSERT_TRUE(t.hardLink(QStringLiteral("song.mp3"), QStringLiteral("SONG.MP3")));
    PosixFileSystem fs;
    EXPECT_FALSE(fs.foldsCase(t.path()));
    EXPECT_EQ(codeOf([&] { fs.rename(t.path(), "song.mp3", QStringLiteral("SONG.MP3")); }),
              ErrorCode::FileExists);
    EXPECT_EQ(t.names(), (QStringList{QStringLiteral("SONG.MP3"), QStringLiteral("song.mp3")}));
}

TEST(FoldsCase, TellsFromAnExistingNameWithoutWriting)
{
    struct {
        const char* what;
        QStringList names;
        bool foldCase;
        bool expected;
    } cases[] = {
        {"case-sensitive", {QStringLiteral("Song.mp3")}, false, false},
        {"case-insensitive", {QStringLiteral("Song.mp3")}, true, true},
        {"no letters", {QStringLiteral("01 - 02.(3)")}, true, false},
        {"empty folder", {}, true, false},
        {"only non-ASCII letters", {u8("ÄÖÜ"), QStringLiteral("123")}, true, true},
        {"two names apart in case", {QStringLiteral("a"), QStringLiteral("A")}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder t(c.names);
        PlayedCalls calls;
        calls.foldCase = c.foldCase;
        PosixFileSystem fs(calls);
        const QStringList before = t.names();
        EXPECT_EQ(fs.foldsCase(t.path()), c.expected);
        EXPECT_EQ(t.names(), before);
        EXPECT_TRUE(calls.calls.isEmpty()) << "renamed, linked or unlinked";
    }
    PosixFileSystem fs;
    EXPECT_EQ(codeOf([&] { fs.foldsCase(QStringLiteral("/nonexistent-folder")); }),
              ErrorCode::PathNotFound);
}

// ---- real case-insensitive file systems, where this machine can mount them ----------------

namespace {

struct CommandResult {
    bool ok;
    QString output;
};

CommandResult run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return {false, program + QStringLiteral(" could not be started")};
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {false, program + QStringLiteral(" timed out")};
    }
    return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
            QString::fromLocal8Bit(p.readAll()).trimmed()};
}

QString findTool(const QString& name)
{
    return QStandardPaths::findExecutable(name,
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                           QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
}

// A file-system image mounted through a loop device for one test. Unmounted and detached
// when it goes, so also when the test fails; `skipReason` says why it could not be had.
class LoopMount {
public:
    // `mkfs` gets the image as its last argument; `mount` is tried in order, each getting
    // the device and the mount point, until one succeeds.
    LoopMount(const QStringList& mkfs, const QList<QStringList>& mounts)
    {
        if (geteuid() != 0) {
            skipReason = QStringLiteral("mounting needs root");
            return;
        }
        const QString mkfsTool = findTool(mkfs.first());
        if (mkfsTool.isEmpty()) {
            skipReason = mkfs.first() + QStringLiteral(" is not installed");
            return;
        }
        const QString image = m_dir.filePath(QStringLiteral("image"));
        m_mountPoint = m_dir.filePath(QStringLiteral("mnt"));
        QDir().mkpath(m_mountPoint);
        QFile f(image);
        if (!f.open(QIODevice::WriteOnly) || !f.resize(64 << 20)) {
            skipReason = QStringLiteral("no room for an image");
            return;
        }
        f.close();
        CommandResult r = run(mkfsTool, mkfs.mid(1) + QStringList{image});
        if (!r.ok) {
            skipReason = mkfs.first() + QStringLiteral(" failed: ") + r.output;
            return;
        }
        r = run(findTool(QStringLiteral("losetup")),
                {QStringLiteral("-f"), QStringLiteral("--show"), image});
        if (!r.ok) {
            skipReason = QStringLiteral("no loop device: ") + r.output;
            return;
        }
        m_device = r.output;
        QStringList failures;
        for (const QStringList& m : mounts) {
            const QString tool = findTool(m.first());
            if (tool.isEmpty()) {
                failures.append(m.first() + QStringLiteral(" is not installed"));
                continue;
            }
            r = run(tool, m.mid(1) + QStringList{m_device, m_mountPoint});
            if (r.ok) {
                m_mounted = true;
                how = m.join(u' ');
                return;
            }
            failures.append(m.join(u' ') + QStringLiteral(": ") + r.output);
        }
        skipReason = QStringLiteral("cannot mount: ") + failures.join(QStringLiteral("; "));
    }
    ~LoopMount()
    {
        if (m_mounted && !run(findTool(QStringLiteral("umount")), {m_mountPoint}).ok)
            run(findTool(QStringLiteral("umount")), {QStringLiteral("-l"), m_mountPoint});
        if (!m_device.isEmpty())
            run(findTool(QStringLiteral("losetup")), {QStringLiteral("-d"), m_device});
    }
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool mounted() const { return m_mounted; }
    const QString& path() const { return m_mountPoint; }

    QString skipReason;
    QString how; // the mount command that succeeded

private:
    QTemporaryDir m_dir;
    QString m_mountPoint;
    QString m_device;
    bool m_mounted = false;
};

// What a case-insensitive folder must give: case-only renames, no replacing, and no
// temporary name left behind.
void checkCaseInsensitiveFolder(const QString& folder)
{
    ASSERT_TRUE(createEntry(folder, "song.mp3", "music"));
    ASSERT_TRUE(createEntry(folder, "other.mp3", "other"));
    PosixFileSystem fs;
    EXPECT_TRUE(fs.foldsCase(folder));

    fs.rename(folder, "song.mp3", QStringLiteral("Song.MP3"));
    EXPECT_EQ(readEntries(folder), (Entries{{"Song.MP3", "music"}, {"other.mp3", "other"}}));

    EXPECT_EQ(codeOf([&] { fs.rename(folder, "other.mp3", QStringLiteral("SONG.mp3")); }),
              ErrorCode::FileExists);
    EXPECT_EQ(codeOf([&] { fs.rename(folder, "other.mp3", QStringLiteral("Song.MP3")); }),
              ErrorCode::FileExists);
    EXPECT_EQ(codeOf([&] { fs.rename(folder, "gone.mp3", QStringLiteral("x.mp3")); }),
              ErrorCode::FileNotFound);
    fs.rename(folder, "other.mp3", QStringLiteral("new name.mp3"));
    fs.rename(folder, "new name.mp3", QStringLiteral("NEW NAME.mp3"));
    EXPECT_EQ(readEntries(folder), (Entries{{"NEW NAME.mp3", "other"}, {"Song.MP3", "music"}}));
}

// FAT and exFAT refuse some characters in names: such a new name is a bad file name and
// the file stays where it was.
void checkRefusedCharacters(const QString& folder)
{
    ASSERT_TRUE(createEntry(folder, "keep.mp3", "kept"));
    PosixFileSystem fs;
    for (const char* name : {"a:b.mp3", "what?.mp3", "star*.mp3", "q\"uote.mp3"})
        EXPECT_EQ(codeOf([&] { fs.rename(folder, "keep.mp3", u8(name)); }), ErrorCode::BadFileName)
            << name;
    EXPECT_EQ(readEntries(folder).value("keep.mp3"), "kept");
}

} // namespace

TEST(RealFileSystems, Fat)
{
    LoopMount m({QStringLiteral("mkfs.vfat")},
                {{QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("vfat"),
                  QStringLiteral("-o"), QStringLiteral("utf8")}});
    if (!m.mounted())
        GTEST_SKIP() << m.skipReason.toStdString();
    checkCaseInsensitiveFolder(m.path());
    checkRefusedCharacters(m.path());
    EXPECT_FALSE(PosixFileSystem().keepsIdentities(m.path())) << "inode numbers made afresh";
}

TEST(RealFileSystems, ExFat)
{
    // The kernel's driver where there is one, else exfat-fuse, which refuses both
    // RENAME_NOREPLACE and hard links.
    LoopMount m({QStringLiteral("mkfs.exfat")},
                {{QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("exfat")},
                 {QStringLiteral("mount.exfat-fuse")}});
    if (!m.mounted())
        GTEST_SKIP() << m.skipReason.toStdString();
    RecordProperty("mount", m.how.toStdString());
    checkCaseInsensitiveFolder(m.path());
    checkRefusedCharacters(m.path());
    // exfat-fuse gives a file another inode number once the kernel has forgotten it.
    EXPECT_FALSE(PosixFileSystem().keepsIdentities(m.path()));
}

TEST(RealFileSystems, Ext4CasefoldFolder)
{
    LoopMount m({QStringLiteral("mkfs.ext4"), QStringLiteral("-q"), QStringLiteral("-F"),
                 QStringLiteral("-O"), QStringLiteral("casefold")},
                {{QStringLiteral("mount")}});
    if (!m.mounted())
        GTEST_SKIP() << m.skipReason.toStdString();
    const QString folder = m.path() + QStringLiteral("/ci");
    ASSERT_TRUE(QDir().mkdir(folder));
    const CommandResult r = run(findTool(QStringLiteral("chattr")), {QStringLiteral("+F"), folder});
    if (!r.ok)
        GTEST_SKIP() << "chattr +F failed: " << r.output.toStdString();
    checkCaseInsensitiveFolder(folder);
    PosixFileSystem fs;
    EXPECT_FALSE(fs.foldsCase(m.path())) << "the volume's root folds no case";
    EXPECT_TRUE(fs.keepsIdentities(folder));
}
