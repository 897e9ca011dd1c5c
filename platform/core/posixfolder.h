#pragma once

// What the POSIX file system's folder listings and renames share: reading a folder's entries,
// a folder descriptor to resolve names in, and telling two spellings of one entry apart.

#include "core/renamecalls.h"
#include "core/runtimeerror.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <QByteArray>
#include <QString>

namespace tessaly::posix {

// An open folder whose entries are read one by one.
class FolderStream {
public:
    // By path; RunTimeError when the folder cannot be opened.
    explicit FolderStream(const QString& folder);
    // The folder of the descriptor `dir`, read through a descriptor of its own.
    explicit FolderStream(int dir);
    ~FolderStream();
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;

    int fd() const { return dirfd(m_dir); }
    // Calls visit(entry) for every entry but "." and "..", in the folder's order; a failed
    // read throws the folder's RunTimeError.
    template <typename Visit> void forEach(Visit visit)
    {
        // readdir tells the end of the folder from a failure only by errno.
        errno = 0;
        while (const dirent* e = readdir(m_dir)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                visit(*e);
            errno = 0;
        }
        if (errno != 0)
            throw errnoError(errno, true);
    }

private:
    DIR* m_dir;
};

// A folder descriptor for the *at calls. O_PATH needs only search permission on the folder,
// as a rename does.
class FolderHandle {
public:
    explicit FolderHandle(const QString& folder);
    ~FolderHandle();
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Whether the names `a` and `b` of `dir` lead to one directory entry, as two spellings do on
// a case-insensitive file system. `listed(b)` tells whether the folder has an entry of that
// exact name.
bool sameEntry(RenameCalls& calls, int dir, const QByteArray& a, const QByteArray& b,
               const std::function<bool(const QByteArray&)>& listed);

} // namespace tessaly::posix
