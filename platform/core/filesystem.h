#pragma once

#include "core/names.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly {

// A mounted volume that a user would browse: the program's "drive".
struct Volume {
    QString mountPoint; // "/" or "/media/me/CARD", no trailing separator except at the root
    QString label;      // empty when the volume has none

    // The drive list's text: the mount point, then " [label]" where there is a label.
    QString text() const;
};

constexpr int FolderAttribute = 16;

// One read of a folder: its files and subfolders as FileSystem::files and subfolders give
// them, and all its names.
struct FolderListing {
    QList<FileEntry> files;
    QStringList folders;
    FolderNames names;
    std::vector<qsizetype> fileNames; // the place of each file's name among the names as read
};

// What tells one file from another where a name can be taken by another file: its device and
// inode, and its birth time where the file system keeps one (a freed inode number is handed to
// the next new file at once on ext4). Empty where the file system keeps no identity across a
// rename.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 birth = 0; // nanoseconds since the epoch; 0 where not kept

    bool known() const { return inode != 0; }
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The file-system services the program needs. Every failure throws RunTimeError.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The browsable volumes, the root file system first.
    virtual QList<Volume> volumes() = 0;
    // Bare names of the subfolders of `folder`, unsorted, dot folders left out.
    virtual QStringList subfolders(const QString& folder) = 0;
    // The files of `folder` (regular files and links to them), unsorted, dot files left out.
    virtual QList<FileEntry> files(const QString& folder) = 0;
    // The attribute bits of a path; FolderAttribute marks a folder.
    virtual int attributes(const QString& path) = 0;
    // The working folder, where a new process starts.
    virtual QString currentFolder() = 0;
    virtual void setCurrentFolder(const QString& folder) = 0;
    // Renames the file `oldName` of `folder` to `newName`, never replacing another file.
    virtual void rename(const QString& folder, const QByteArray& oldName,
                        const NewName& newName) = 0;
    // Whether names in `folder` compare without regard to case. A file system that cannot
    // tell answers false.
    virtual bool foldsCase(const QString& folder);
    // The files and subfolders of `folder` and the names of all its entries; the real file
    // system reads the folder once for all three.
    virtual FolderListing listing(const QString& folder);
    // The same for a pass over a folder tree, but that its folders are only the folders to
    // enter: no link to a folder and no other mount (the base: those of listing).
    virtual FolderListing treeListing(const QString& folder) { return listing(folder); }
    // Whether the files of `folder` keep their identity across renames and as long as they
    // exist. A file system that cannot tell answers false.
    virtual bool keepsIdentities(const QString& folder);
    // The identity of the entry `name` of `folder` (no link followed); RunTimeError 53 where
    // there is none. Where identities are not kept, an empty one.
    virtual FileIdentity identity(const QString& folder, const QByteArray& name);
};

// The volume on which `path` lies: the one whose mount point is its longest prefix.
const Volume* volumeOf(const QList<Volume>& volumes, const QString& path);
// The answer points into the list, so a temporary one would leave it dangling.
const Volume* volumeOf(QList<Volume>&& volumes, const QString& path) = delete;

// The nearest folder at or above `from` whose subfolders and files can be read; the root when
// none can. Reads each folder it tries in full.
QString nearestReadableFolder(FileSystem& fs, const QString& from);

} // namespace tessaly
