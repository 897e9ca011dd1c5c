#pragma once

#include "core/filesystem.h"

#include <optional>
#include <QMetaObject>

namespace tessaly {

// A file system that passes every call on to another, but lets the controls of one user action
// read a folder once: the folder list asks for a folder's subfolders, and the file list that
// follows it in the same round of events asks for the same folder's listing. The subfolders
// come from a whole listing, which is kept and handed on once to the next listing of that
// folder. The next round of events, or a rename through this file system, drops it.
class SharedReads : public FileSystem {
public:
    explicit SharedReads(FileSystem& fs);
    ~SharedReads() override;
    SharedReads(const SharedReads&) = delete;
    SharedReads& operator=(const SharedReads&) = delete;

    QList<Volume> volumes() override { return m_fs.volumes(); }
    QStringList subfolders(const QString& folder) override;
    QList<FileEntry> files(const QString& folder) override { return m_fs.files(folder); }
    int attributes(const QString& path) override { return m_fs.attributes(path); }
    QString currentFolder() override { return m_fs.currentFolder(); }
    void setCurrentFolder(const QString& folder) override { m_fs.setCurrentFolder(folder); }
    void rename(const QString& folder, const QByteArray& oldName, const NewName& newName) override;
    bool foldsCase(const QString& folder) override { return m_fs.foldsCase(folder); }
    FolderListing listing(const QString& folder) override;
    bool keepsIdentities(const QString& folder) override { return m_fs.keepsIdentities(folder); }
    FileIdentity identity(const QString& folder, const QByteArray& name) override
    {
        return m_fs.identity(folder, name);
    }

private:
    struct Kept {
        QString folder;
        FolderListing listing;
    };
    FileSystem& m_fs;
    std::optional<Kept> m_kept;
    QMetaObject::Connection m_awake;
    QMetaObject::Connection m_aboutToBlock;
};

} // namespace tessaly
