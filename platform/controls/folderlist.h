#pragma once

#include "core/filesystem.h"

#include <QHash>
#include <QListView>

namespace tessaly {

class FolderModel;

// The folder list: the folders from the root down to the current folder, then the current
// folder's subfolders. Opening an entry (double-click, Enter) makes it current. `Change` is
// raised on a real change of `Path`, by the user or the program.
class FolderList : public QListView {
    Q_OBJECT
public:
    explicit FolderList(FileSystem& fs, QWidget* parent = nullptr);

    // "/" at the root, "/home/me/Music" elsewhere (no trailing separator).
    const QString& Path() const { return m_path; }
    // The Path write: a drive's text, exactly as the drive list reads it, opens the folder
    // last current on that volume, at first its mount point; any other text opens the folder
    // at that path. A folder that cannot be read throws RunTimeError and leaves the list as it
    // was.
    void setPath(const QString& text);
    // Opens the folder at `path` (absolute, or relative to the current folder), also where
    // the path reads like a drive's text: "/" is the root folder, not the root volume's last
    // current folder.
    void setFolder(const QString& path);
    // Re-reads the subfolders; raises nothing.
    void Refresh();
    // The full path of the entry at a row.
    QString entryPath(int row) const;

Q_SIGNALS:
    void Change();
    // Opening an entry failed; the list still shows the folder it showed.
    void openFailed(const QString& folder, int code, const QString& description);

private:
    void open(const QModelIndex& index);
    // The drive's last current folder when `text` is a drive's text, else an empty text.
    QString folderOfDrive(const QString& text);
    void display(const QString& folder, QStringList subfolders);

    FileSystem& m_fs;
    FolderModel* m_model;
    QString m_path;
    QHash<QString, QString> m_folderOfVolume; // mount point -> folder last current there
};

} // namespace tessaly
