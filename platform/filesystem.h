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
    // Whether names in `folder` compare without regard to case. A file system that cannot
    // tell answers false.
    virtual bool foldsCase(const QString& folder);
};

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
    void setCurrentFolder(const QString& folder) override;
    void rename(const QString& folder, const QByteArray& oldName, const QString& newName) override;
    bool foldsCase(const QString& folder) override;

private:
    RenameCalls* m_calls;
    QString m_current; // the folder setCurrentFolder made current
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
