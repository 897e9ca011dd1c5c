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

#include "core/posixfilesystem.h"
#include "core/posixfolder.h"
#include "core/runtimeerror.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <QRandomGenerator>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

using posix::FolderHandle;
using posix::FolderStream;

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

// Whether the folder `dir` has an entry of exactly this name; a folder that cannot be listed
// is taken to have it.
bool listedIn(int dir, const QByteArray& name)
{
    try {
        bool listed = false;
        FolderStream(dir).forEach([&](const dirent& e) { listed = listed || name == e.d_name; });
        return listed;
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

// The name a file carries between the two steps of a case-only rename: its own name, then
// what is happening to it ("song.mp3.tessaly-renaming-5k2x9q"), so that a person who finds it
// after the program was killed sees what it is and takes the ending off. Never a dot file,
// which every listing would hide. A name too long for the ending is cut short first (at a
// character's edge), so the whole stays within the 255 bytes that file systems allow.
QByteArray temporaryName(const QByteArray& original)
{
    const QByteArray ending =
        ".tessaly-renaming-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    qsizetype keep = std::min(original.size(), qsizetype(NAME_MAX) - ending.size());
    while (keep > 0 && keep < original.size() && (original[keep] & 0xC0) == 0x80)
        --keep; // not inside a UTF-8 character
    return original.left(keep) + ending;
}

// A case-only rename where both spellings find the same file: through a temporary name,
// putting the file back under its old name when the second step fails.
void renameThroughTemporary(RenameCalls& calls, int dir, const QByteArray& oldName,
                            const QByteArray& target)
{
    QByteArray temp;
    int err = EEXIST;
    for (int attempt = 0; err == EEXIST && attempt < 16; ++attempt) {
        temp = temporaryName(oldName);
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

} // namespace

PosixFileSystem::PosixFileSystem() : m_calls(&systemCalls()) {}

PosixFileSystem::PosixFileSystem(RenameCalls& calls) : m_calls(&calls) {}

void PosixFileSystem::rename(const QString& folder, const QByteArray& oldName,
                             const NewName& newName)
{
    if (!newName.valid())
        throw RunTimeError(ErrorCode::BadFileName);
    const QByteArray target = newName.bytes();
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
        posix::sameEntry(*m_calls, dir, oldName, target,
                         [dir](const QByteArray& name) { return listedIn(dir, name); })) {
        renameThroughTemporary(*m_calls, dir, oldName, target);
        return;
    }
    throw renameError(*m_calls, err, dir, oldName);
}

} // namespace tessaly
