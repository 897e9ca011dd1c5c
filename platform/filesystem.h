#pragma once

#include <QByteArray>
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

// A file name as listed: the text shown and worked on, and the bytes on disk when they
// differ from that text's UTF-8 (names that are not valid UTF-8 are shown decoded as
// Latin-1, so every byte stays a distinct, editable character).
struct FileEntry {
    QString name;
    QByteArray raw; // empty when the bytes on disk are name.toUtf8()

    QByteArray bytes() const { return raw.isEmpty() ? name.toUtf8() : raw; }
    friend bool operator==(const FileEntry&, const FileEntry&) = default;
};

constexpr int FolderAttribute = 16;

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
    virtual void setCurrentFolder(const QString& folder) = 0;
    // Renames the file `oldName` of `folder` to `newName`, never replacing another file.
    virtual void rename(const QString& folder, const QByteArray& oldName,
                        const QString& newName) = 0;
};

// The real file system of this machine.
class PosixFileSystem : public FileSystem {
public:
    QList<Volume> volumes() override;
    QStringList subfolders(const QString& folder) override;
    QList<FileEntry> files(const QString& folder) override;
    int attributes(const QString& path) override;
    void setCurrentFolder(const QString& folder) override;
    void rename(const QString& folder, const QByteArray& oldName, const QString& newName) override;
};

// Paths travel as QString; bytes that are not UTF-8 are carried as the lone surrogates
// U+DC80..U+DCFF, so a path read from disk always maps back to the same bytes.
QByteArray encodePath(const QString& path);
QString decodePath(const QByteArray& bytes);
bool isValidUtf8(const char* data, qsizetype size);
FileEntry decodeFileName(const char* data, qsizetype size);

// "/a/b/" -> "/a/b", "" -> "", "/" stays "/"; "." and ".." segments resolved.
QString normalFolderPath(const QString& path);
// The folder above `path`, or an empty text at the root.
QString parentFolder(const QString& path);
// `folder` joined with a bare name.
QString joinPath(const QString& folder, const QString& name);

// The volume on which `path` lies: the one whose mount point is its longest prefix.
const Volume* volumeOf(const QList<Volume>& volumes, const QString& path);
// The answer points into the list, so a temporary one would leave it dangling.
const Volume* volumeOf(QList<Volume>&& volumes, const QString& path) = delete;

} // namespace tessaly
