#pragma once

#include "core/posixfilesystem.h"
#include "core/runtimeerror.h"

#include <functional>
#include <QHash>
#include <QList>
#include <QStringList>

namespace tessaly::test {

// The real file system with volumes added, chosen folders made unreadable and chosen renames
// or attribute reads failing, for failures that root cannot provoke with file modes. Counts
// what it is asked.
class FaultyFileSystem : public PosixFileSystem {
public:
    FaultyFileSystem() = default;
    // Over system calls that play another kind of file system.
    explicit FaultyFileSystem(RenameCalls& calls) : PosixFileSystem(calls) {}

    QList<Volume> extraVolumes;
    QHash<QString, int> unreadable;        // folder -> error code, until removed
    QHash<QString, int> failingAttributes; // path -> error code, until removed
    int renameFaultsInjected = 0;
    // Called before every folder read (subfolders, files or listing), even one that fails.
    std::function<void()> beforeRead;

    int listings = 0;
    int treeListings = 0; // the pass over a tree's, which the browser does not see
    int fileReads = 0;
    int subfolderReads = 0;
    int renames = 0; // tried, failed ones included
    QStringList attributesRead;

    // Makes the rename of `oldName` (its bytes as encodePath gives them; every file when
    // empty) fail with `code`: once, or until clearRenameFaults(). Codes such as 70 permission
    // denied, 57 I/O error, 61 disk full, 75 read-only file system or busy.
    void failRename(const QString& oldName, int code, bool once = true)
    {
        m_renameFaults.append({encodePath(oldName), code, once});
    }
    void clearRenameFaults() { m_renameFaults.clear(); }

    QList<Volume> volumes() override
    {
        QList<Volume> v = PosixFileSystem::volumes();
        v += extraVolumes;
        return v;
    }
    QStringList subfolders(const QString& folder) override
    {
        ++subfolderReads;
        check(folder);
        return PosixFileSystem::subfolders(folder);
    }
    QList<FileEntry> files(const QString& folder) override
    {
        ++fileReads;
        check(folder);
        return PosixFileSystem::files(folder);
    }
    FolderListing listing(const QString& folder) override
    {
        ++listings;
        check(folder);
        return PosixFileSystem::listing(folder);
    }
    FolderListing treeListing(const QString& folder) override
    {
        ++treeListings;
        check(folder);
        return PosixFileSystem::treeListing(folder);
    }
    int attributes(const QString& path) override
    {
        attributesRead.append(path);
        const auto it = failingAttributes.constFind(path);
        if (it != failingAttributes.constEnd())
            throw RunTimeError(*it);
        return PosixFileSystem::attributes(path);
    }

    void rename(const QString& folder, const QByteArray& oldName, const NewName& newName) override
    {
        ++renames;
        for (qsizetype i = 0; i < m_renameFaults.size(); ++i) {
            const RenameFault f = m_renameFaults[i];
            if (!f.oldName.isEmpty() && f.oldName != oldName)
                continue;
            if (f.once)
                m_renameFaults.removeAt(i);
            ++renameFaultsInjected;
            throw RunTimeError(f.code);
        }
        PosixFileSystem::rename(folder, oldName, newName);
    }

private:
    struct RenameFault {
        QByteArray oldName; // empty: any file
        int code;
        bool once;
    };
    QList<RenameFault> m_renameFaults;

    void check(const QString& folder)
    {
        if (beforeRead)
            beforeRead();
        const auto it = unreadable.constFind(normalFolderPath(folder));
        if (it != unreadable.constEnd())
            throw RunTimeError(*it);
    }
};

} // namespace tessaly::test
