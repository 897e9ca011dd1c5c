#pragma once

#include "filesystem.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <QByteArray>
#include <unistd.h>

namespace tessaly::test {

// The system calls of a rename as a case-insensitive file system answers them, played on a real
// folder of this machine: a name finds the entry whose name equals it without regard to case
// (the first one listed), so both spellings give one device and inode, and a rename onto
// another spelling of an existing file fails with EEXIST, as on FAT or exFAT.
class FoldingCalls : public RenameCalls {
public:
    int renameNoReplace(int dir, const char* from, const char* to) override
    {
        const QByteArray source = resolve(dir, from);
        if (!exists(dir, source))
            return ENOENT;
        if (exists(dir, resolve(dir, to)))
            return EEXIST;
        return RenameCalls::renameNoReplace(dir, source, to);
    }
    int renameReplacing(int dir, const char* from, const char* to) override
    {
        return RenameCalls::renameReplacing(dir, resolve(dir, from), to);
    }
    int link(int dir, const char* from, const char* to) override
    {
        if (exists(dir, resolve(dir, to)))
            return EEXIST;
        return RenameCalls::link(dir, resolve(dir, from), to);
    }
    int unlink(int dir, const char* name) override
    {
        return RenameCalls::unlink(dir, resolve(dir, name));
    }
    int stat(int dir, const char* name, FileNode& node) override
    {
        return RenameCalls::stat(dir, resolve(dir, name), node);
    }

private:
    bool exists(int dir, const QByteArray& name)
    {
        FileNode node;
        return RenameCalls::stat(dir, name, node) == 0;
    }
    // The name on disk that `name` finds.
    static QByteArray resolve(int dir, const char* name)
    {
        const QString wanted = decodePath(QByteArray(name)).toCaseFolded();
        const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* d = fd < 0 ? nullptr : fdopendir(fd);
        if (!d)
            return QByteArray(name);
        QByteArray found(name);
        while (const dirent* e = readdir(d)) {
            if (decodePath(QByteArray(e->d_name)).toCaseFolded() == wanted) {
                found = QByteArray(e->d_name);
                break;
            }
        }
        closedir(d);
        return found;
    }
};

} // namespace tessaly::test
