#pragma once

#include "core/posixfilesystem.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <QByteArray>
#include <QStringList>
#include <unistd.h>
#include <utility>

namespace tessaly::test {

// The system calls of a rename as other file systems answer them, played on a real folder of
// this machine: case folding as FAT and exFAT do it (another spelling finds the file, which
// keeps the spelling it was given), file systems that refuse RENAME_NOREPLACE or hard links,
// and a kernel without renameat2. The kernel's order is kept: a kernel without renameat2 (or
// a sandbox that filters it) answers ENOSYS before looking at any name, while a missing source
// or an existing target is answered before the file system sees the flag. Chosen moves and
// unlinks can be made to fail where the file system would do the work. With no flag set and
// no failure injected, the calls are the machine's own.
class PlayedCalls : public RenameCalls {
public:
    bool foldCase = false;
    bool refuseNoReplace = false;
    bool noRenameat2 = false;
    bool refuseLinks = false;
    // Asked before every move (a rename or a link); a non-zero errno fails it.
    std::function<int(const QByteArray& from, const QByteArray& to)> failMove;
    int failUnlink = 0; // the errno of the next unlink, once
    QStringList calls;  // "link a b", ... in order; stat is not logged

    int renameNoReplace(int dir, const char* from, const char* to) override
    {
        calls.append(QStringLiteral("renameNoReplace %1 %2").arg(from, to));
        if (noRenameat2)
            return ENOSYS;
        if (!foldCase && !refuseNoReplace && !failMove)
            return RenameCalls::renameNoReplace(dir, from, to);
        const QByteArray f = resolve(dir, from);
        if (!exists(dir, f))
            return ENOENT;
        if (exists(dir, resolve(dir, to)))
            return EEXIST;
        if (refuseNoReplace)
            return EINVAL;
        if (const int e = injected(from, to))
            return e;
        return RenameCalls::renameNoReplace(dir, f, to);
    }
    int renameReplacing(int dir, const char* from, const char* to) override
    {
        calls.append(QStringLiteral("renameReplacing %1 %2").arg(from, to));
        if (const int e = injected(from, to))
            return e;
        const QByteArray f = resolve(dir, from);
        const QByteArray t = resolve(dir, to);
        if (t != f && exists(dir, t) && exists(dir, f))
            RenameCalls::unlink(dir, t); // the other spelling is replaced
        return RenameCalls::renameReplacing(dir, f, to);
    }
    int link(int dir, const char* from, const char* to) override
    {
        calls.append(QStringLiteral("link %1 %2").arg(from, to));
        if (exists(dir, resolve(dir, to)))
            return EEXIST;
        if (refuseLinks)
            return EPERM;
        if (const int e = injected(from, to))
            return e;
        return RenameCalls::link(dir, resolve(dir, from), to);
    }
    int unlink(int dir, const char* name) override
    {
        calls.append(QStringLiteral("unlink %1").arg(name));
        if (failUnlink != 0)
            return std::exchange(failUnlink, 0);
        return RenameCalls::unlink(dir, resolve(dir, name));
    }
    int stat(int dir, const char* name, FileNode& node) override
    {
        return RenameCalls::stat(dir, resolve(dir, name), node);
    }

    // Whether a logged call starts with `call`, such as "link old.mp3 new.mp3" or "unlink".
    bool used(const QString& call) const
    {
        return std::any_of(calls.begin(), calls.end(),
                           [&](const QString& c) { return c.startsWith(call); });
    }

private:
    int injected(const char* from, const char* to)
    {
        return failMove ? failMove(QByteArray(from), QByteArray(to)) : 0;
    }
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

} // namespace tessaly::test
