#include "core/posixfolder.h"

#include "core/names.h"
#include "core/runtimeerror.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tessaly::posix {

FolderStream::FolderStream(const QString& folder) : m_dir(opendir(encodePath(folder).constData()))
{
    if (!m_dir)
        throw errnoError(errno, true);
}

FolderStream::FolderStream(int dir) : m_dir(nullptr)
{
    const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!m_dir) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        throw errnoError(err, true);
    }
}

FolderStream::~FolderStream()
{
    closedir(m_dir);
}

FolderHandle::FolderHandle(const QString& folder)
    : m_fd(::open(encodePath(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC))
{
    if (m_fd < 0)
        throw errnoError(errno, true);
}

FolderHandle::~FolderHandle()
{
    ::close(m_fd);
}

bool sameEntry(RenameCalls& calls, int dir, const QByteArray& a, const QByteArray& b,
               const std::function<bool(const QByteArray&)>& listed)
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

} // namespace tessaly::posix
