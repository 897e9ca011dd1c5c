#pragma once

#include "posixfilesystem.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <QByteArray>
#include <unistd.h>

namespace tessaly::test {

// The system calls of a rename as other file systems answer them, played on a real folder of
// this machine: case folding as FAT and exFAT do it (another spelling finds the file, which
// keeps the spelling it was given), and file systems that refuse RENAME_NOREPLACE or hard
// links. The kernel's order is kept: a missing source or an existing target is answered
// before the file system sees the flag.
class PlayedCalls : public RenameCalls {
public:
    bool foldCase = false;
    bool refuseNoReplace = false;
    bool refuseLinks = false;

    int renameNoReplace(int dir, const char* from, const char* to) override
    {
        if (!foldCase && !refuseNoReplace)
            return RenameCalls::renameNoReplace(dir, from, to);
        const QByteArray f = resolve(dir, from);
        if (!exists(dir, f))
            return ENOENT;
        if (exists(dir, resolve(dir, to)))
            return EEXIST;
        if (refuseNoReplace)
            return EINVAL;
        return RenameCalls::renameNoReplace(dir, f, to);
    }
    int renameReplacing(int dir, const char* from, const char* to) override
    {
        const QByteArray f = resolve(dir, from);
        const QByteArray t = resolve(dir, to);
        if (t != f && exists(dir, t) && exists(dir, f))
            RenameCalls::unlink(dir, t); // the other spelling is replaced
        return RenameCalls::renameReplacing(dir, f, to);
    }
    int link(int dir, const char* from, const char* to) override
    {
        if (exists(dir, resolve(dir, to)))
            return EEXIST;
        if (refuseLinks)
            return EPERM;
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
        FileNode n;
        return RenameCalls::stat(dir, name, n) == 0;
    }
    // The entry of the folder that `name` finds: itself, or another spelling of it.
    QByteArray resolve(int dir, const char* name) const
    {
        const QByteArray wanted(name);
        if (!foldCase)
            return wanted;
        const QString folded = decodePath(wanted).toCaseFolded();
        QByteArray found = wanted;
        const int fd = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (DIR* d = fd < 0 ? nullptr : fdopendir(fd)) {
            bool other = false;
            while (const dirent* e = readdir(d)) {
                const QByteArray n(e->d_name);
                if (n == wanted) {
                    found = n;
                    break;
                }
                if (!other && decodePath(n).toCaseFolded() == folded) {
                    found = n;
                    other = true;
                }
            }
            closedir(d);
        }
        return found;
    }
};

// A case-insensitive folder: a name finds the entry whose name equals it without regard to
// case, so both spellings give one device and inode, and a rename onto another spelling of an
// existing file fails with EEXIST.
class FoldingCalls : public PlayedCalls {
public:
    FoldingCalls() { foldCase = true; }
};

} // namespace tessaly::test
