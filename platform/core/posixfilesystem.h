#pragma once

#include "core/filesystem.h"
#include "core/renamecalls.h"

#include <QtGlobal>

namespace tessaly {

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
