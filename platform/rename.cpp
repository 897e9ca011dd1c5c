// Renaming without ever replacing a file, on every kind of file system.
//
// Facts this relies on, probed on Linux 6.x (ext4, tmpfs, exfat-fuse 1.3 through a loop device):
// - renameat2(RENAME_NOREPLACE) onto an existing name, the file's own name or another hard
//   link of the same file included, fails with EEXIST; a plain rename between two hard links
//   of one file succeeds and does nothing, so it must never be taken for a rename.
// - The kernel checks an existing target before the file system sees the flag: a file system
//   that refuses RENAME_NOREPLACE (FUSE on libfuse 2, such as exfat-fuse) answers EEXIST when
//   the target exists and EINVAL when it does not.
// - A kernel without renameat2, or a sandbox filtering it, answers ENOSYS before looking at
//   any name: then only the check below stands between the rename and an existing file.
// - linkat onto an existing name fails with EEXIST; exfat-fuse refuses links with EPERM.
// - exfat-fuse: right after a move, fstatat can still find the file under a spelling looked
//   up before (the kernel caches FUSE names for a while); renameat2 and linkat look their
//   target up afresh, so the fstatat that follows them sees the truth.
// - exfat-fuse answers ENOENT, not EINVAL, to a new name with ':', '?', '*', '"' or a control
//   character, while the old file is there; bytes that are not UTF-8 give EILSEQ.
// - On a case-insensitive file system another spelling of a name finds the same file. The
//   kernel's own drivers (FAT, exFAT, ext4 casefold) give both spellings one inode (their
//   name lookup folds case; not mountable on the machine these facts were probed on);
//   exfat-fuse numbers every spelling looked up separately, so only the folder's listing
//   tells that the spelling is not a file of its own there.

#include "filesystem.h"
#include "runtimeerror.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <QRandomGenerator>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

int RenameCalls::renameNoReplace(int dir, const char* from, const char* to)
{
    return renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int RenameCalls::renameReplacing(int dir, const char* from, const char* to)
{
    return renameat(dir, from, dir, to) == 0 ? 0 : errno;
}

int RenameCalls::link(int dir, const char* from, const char* to)
{
    return linkat(dir, from, dir, to, 0) == 0 ? 0 : errno;
}

int RenameCalls::unlink(int dir, const char* name)
{
    return unlinkat(dir, name, 0) == 0 ? 0 : errno;
}

int RenameCalls::stat(int dir, const char* name, FileNode& node)
{
    struct ::stat st;
    if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    node = {quint64(st.st_dev), quint64(st.st_ino), S_ISREG(st.st_mode)};
    return 0;
}

namespace {

RenameCalls& systemCalls()
{
    static RenameCalls calls;
    return calls;
}

// A folder descriptor for the *at calls. O_PATH needs only search permission on the folder,
// as a rename does.
class FolderHandle {
public:
    explicit FolderHandle(const QString& folder)
        : m_fd(::open(encodePath(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd < 0)
            throw errnoError(errno, true);
    }
    ~FolderHandle() { ::close(m_fd); }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The names in the folder `dir`, "." and ".." left out.
QList<QByteArray> listNames(int dir)
{
    const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = fd < 0 ? nullptr : fdopendir(fd);
    if (!d) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        throw errnoError(err, true);
    }
    QList<QByteArray> out;
    errno = 0;
    while (const dirent* e = readdir(d)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            out.append(name);
        errno = 0;
    }
    const int err = errno;
    closedir(d);
    if (err != 0)
        throw errnoError(err, true);
    return out;
}

// A name that can be a file of the folder: anything else would reach another file.
bool isBareName(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

bool equalIgnoringCase(const QByteArray& a, const QByteArray& b)
{
    const QString x = decodeFileName(a.constData(), a.size()).name;
    const QString y = decodeFileName(b.constData(), b.size()).name;
    return x.compare(y, Qt::CaseInsensitive) == 0;
}

// Whether the names `a` and `b` of `dir` lead to one directory entry, as two spellings do on
// a case-insensitive file system. `listed(b)` tells whether the folder has an entry of that
// exact name.
template <typename Listed>
bool sameEntry(RenameCalls& calls, int dir, const QByteArray& a, const QByteArray& b,
               Listed listed)
{
    FileNode x;
    FileNode y;
    if (calls.stat(dir, a.constData(), x) != 0 || calls.stat(dir, b.constData(), y) != 0)
        return false;
    if (x.device != y.device)
        return false;
    if (x.inode == y.inode)
        return true;
    // Inodes numbered per spelling (exfat-fuse): `b` is the same entry when the folder has
    // no entry of that exact name.
    return !listed(b);
}

// Whether the folder `dir` has an entry of exactly this name; a folder that cannot be listed
// is taken to have it.
bool listedIn(int dir, const QByteArray& name)
{
    try {
        return listNames(dir).contains(name);
    } catch (const RunTimeError&) {
        return true;
    }
}

// Moves `from` to `to` in `dir` without replacing a file. Returns 0 or an errno value,
// EEXIST when `to` exists.
int moveNoReplace(RenameCalls& calls, int dir, const QByteArray& from, const QByteArray& to)
{
    int err = calls.renameNoReplace(dir, from.constData(), to.constData());
    if (err != EINVAL && err != ENOSYS)
        return err;
    // The file system refuses the flag: a hard link cannot replace anything either.
    FileNode node;
    if (const int e = calls.stat(dir, from.constData(), node))
        return e;
    if (node.regular) {
        err = calls.link(dir, from.constData(), to.constData());
        if (err == 0) {
            err = calls.unlink(dir, from.constData());
            if (err != 0)
                calls.unlink(dir, to.constData()); // the file keeps its one old name
            return err;
        }
        if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS && err != EMLINK)
            return err;
    }
    // No hard links either (FAT, exFAT): check, then rename. A file created by someone else
    // between the two calls could still be replaced; such a file system offers nothing better.
    err = calls.stat(dir, to.constData(), node);
    if (err == 0)
        return EEXIST;
    if (err != ENOENT)
        return err;
    return calls.renameReplacing(dir, from.constData(), to.constData());
}

// The error for a failed move of `source`.
RunTimeError renameError(RenameCalls& calls, int err, int dir, const QByteArray& source)
{
    switch (err) {
    case EEXIST:
    case ENOTEMPTY:
        return RunTimeError(ErrorCode::FileExists);
    case EINVAL:
        // The flag is out of the picture by now: the file system refused the name.
        return RunTimeError(ErrorCode::BadFileName);
    case ENOENT: {
        // With the file still there, the file system refused the new name (exfat-fuse).
        FileNode node;
        return RunTimeError(calls.stat(dir, source.constData(), node) == 0
                                ? ErrorCode::BadFileName
                                : ErrorCode::FileNotFound);
    }
    default:
        return errnoError(err);
    }
}

QByteArray temporaryName()
{
    return ".tessaly-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
}

// A case-only rename where both spellings find the same file: through a temporary name,
// putting the file back under its old name when the second step fails.
void renameThroughTemporary(RenameCalls& calls, int dir, const QByteArray& oldName,
                            const QByteArray& target)
{
    QByteArray temp;
    int err = EEXIST;
    for (int attempt = 0; err == EEXIST && attempt < 16; ++attempt) {
        temp = temporaryName();
        err = moveNoReplace(calls, dir, oldName, temp);
    }
    if (err != 0)
        throw renameError(calls, err, dir, oldName);
    err = moveNoReplace(calls, dir, temp, target);
    if (err == 0)
        return;
    const RunTimeError failure = renameError(calls, err, dir, temp);
    if (moveNoReplace(calls, dir, temp, oldName) != 0)
        throw RunTimeError(failure.code(), failure.description() +
                                               QStringLiteral(" (the file is now named \"") +
                                               decodePath(temp) + QStringLiteral("\")"));
    throw failure;
}

// `name` with the case of its letters flipped: ASCII letters only, or every letter. Lone
// surrogates (bytes that are not UTF-8) stay as they are.
QString flipCase(const QString& name, bool asciiOnly)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i].unicode(), name[i + 1].unicode());
            ++i;
        }
        if (!asciiOnly || c < 0x80)
            c = QChar::isUpper(c) ? QChar::toLower(c) : QChar::isLower(c) ? QChar::toUpper(c) : c;
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
    }
    return out;
}

} // namespace

bool FileSystem::foldsCase(const QString&)
{
    return false;
}

PosixFileSystem::PosixFileSystem() : m_calls(&systemCalls()) {}

PosixFileSystem::PosixFileSystem(RenameCalls& calls) : m_calls(&calls) {}

void PosixFileSystem::rename(const QString& folder, const QByteArray& oldName,
                             const QString& newName)
{
    if (!isValidNewName(newName))
        throw RunTimeError(ErrorCode::BadFileName);
    const QByteArray target = encodePath(newName);
    if (!isBareName(oldName))
        throw RunTimeError(ErrorCode::FileNotFound);
    // In the current folder the names resolve without looking the folder up again: a run of
    // 100,000 renames then costs what the renames cost.
    std::optional<FolderHandle> opened;
    const int dir =
        !m_current.isEmpty() && folder == m_current ? AT_FDCWD : opened.emplace(folder).fd();
    const int err = moveNoReplace(*m_calls, dir, oldName, target);
    if (err == 0)
        return;
    if (err == EEXIST && oldName != target && equalIgnoringCase(oldName, target) &&
        sameEntry(*m_calls, dir, oldName, target,
                  [dir](const QByteArray& name) { return listedIn(dir, name); })) {
        renameThroughTemporary(*m_calls, dir, oldName, target);
        return;
    }
    throw renameError(*m_calls, err, dir, oldName);
}

bool PosixFileSystem::foldsCase(const QString& folder)
{
    const FolderHandle dir(folder);
    QList<QString> names;
    for (const QByteArray& name : listNames(dir.fd()))
        names.append(decodePath(name));
    return foldsCaseAmong(dir.fd(), names, FolderNames(names, false));
}

bool PosixFileSystem::foldsCaseAmong(int dir, const QList<QString>& names,
                                     const FolderNames& listed)
{
    // ASCII letters first: every case-insensitive file system folds them, not all fold others.
    for (const bool asciiOnly : {true, false}) {
        for (const QString& name : names) {
            const QString flipped = flipCase(name, asciiOnly);
            if (flipped == name)
                continue;
            if (listed.indexOf(flipped) >= 0)
                return false; // two entries apart only in case
            return sameEntry(*m_calls, dir, encodePath(name), encodePath(flipped),
                             [](const QByteArray&) { return false; });
        }
    }
    return false;
}

} // namespace tessaly
