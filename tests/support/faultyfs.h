#pragma once

#include "filesystem.h"
#include "runtimeerror.h"

#include <QHash>

namespace tessaly::test {

// The real file system with volumes added and chosen folders made unreadable, for failures
// that root cannot provoke with file modes.
class FaultyFileSystem : public PosixFileSystem {
public:
    QList<Volume> extraVolumes;
    QHash<QString, int> unreadable; // folder -> error code, until removed

    QList<Volume> volumes() override
    {
        QList<Volume> v = PosixFileSystem::volumes();
        v += extraVolumes;
        return v;
    }
    QStringList subfolders(const QString& folder) override
    {
        check(folder);
        return PosixFileSystem::subfolders(folder);
    }
    QList<FileEntry> files(const QString& folder) override
    {
        check(folder);
        return PosixFileSystem::files(folder);
    }

private:
    void check(const QString& folder)
    {
        const auto it = unreadable.constFind(normalFolderPath(folder));
        if (it != unreadable.constEnd())
            throw RunTimeError(*it);
    }
};

} // namespace tessaly::test
