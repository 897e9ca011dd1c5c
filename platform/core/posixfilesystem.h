#pragma once

#include "core/filesystem.h"

#include <QtGlobal>

namespace tessaly {

// A file as a rename sees it: its identity and whether it is a regular file.
struct FileNode {
    quint64 device = 0;
    quint64 inode = 0;
    bool regular = false;
};

// The system calls a rename is made of, each on names in the folder `dir` (a descriptor).
// Each returns 0 or an errno value. Tests replace them to play a file system that refuses
// RENAME_NOREPLACE or hard links, or that compares names without regard to case.
class RenameCalls {
public:
    virtual ~RenameCalls() = default;
    virtual int renameNoReplace(int dir, const char* from, const char* to); // renameat2
    virtual int renameReplacing(int dir, const char* from, const char* to); // renameat
    virtual int link(int dir, const char* from, const char* to);            // linkat
    virtual int unlink(int dir, const char* name);                          // unlinkat
    virtual int stat(int dir, const char* name, FileNode& node); // fstatat, no link followed
};

// The real file system of this machine.
class PosixFileSystem : public FileSystem {
public:
    PosixFileSystem();
    explicit PosixFileSystem(RenameCalls& calls);

    QList<Volume> volumes() override;
    QStringList subfolders(const QString& folder) override;
    QList<FileEntry> files(const QString& folder) override;
    int attributes(const QString& path) override;
    QString currentFolder() override;
    void setCurrentFolder(const QString& folder) override;
    void rename(const QString& folder, const QByteArray& oldName, const NewName& newName) override;
    bool foldsCase(const QString& folder) override;
    FolderListing listing(const QString& folder) override;

private:
    // Whether the folder `dir` folds case, judged by one of its `names` (exact names; `listed`
    // holds them all, compared exactly) looked up with the case of its letters flipped. Writes
    // nothing.
    bool foldsCaseAmong(int dir, const QList<QString>& names, const FolderNames& listed);

    RenameCalls* m_calls;
    QString m_current; // the folder setCurrentFolder made current
};

} // namespace tessaly
