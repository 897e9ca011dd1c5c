#pragma once

#include "nameset.h"

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

// The names of every entry of a folder (files of every kind, dot files, subfolders) as one
// read found them, compared the way that folder compares names: exactly, or without regard to
// case. Names are exact names (see exactName), so they are equal exactly when their bytes are.
class FolderNames {
public:
    FolderNames() = default;
    FolderNames(QList<QString> names, bool foldsCase);

    bool foldsCase() const { return m_foldsCase; }
    qsizetype size() const { return m_keys.size(); }
    // The form in which `name` compares with the names of this folder.
    QString key(const QString& name) const { return m_foldsCase ? name.toCaseFolded() : name; }
    // The index of the entry whose name has this key, or -1; `hash` is NameSet::hashOf(key).
    qsizetype indexOf(QStringView key) const { return m_keys.indexOf(key); }
    qsizetype indexOf(QStringView key, size_t hash) const { return m_keys.indexOf(key, hash); }
    void prefetch(size_t hash) const { m_keys.prefetch(hash); }
    // An entry's name as the folder spells it.
    const QString& spelling(qsizetype index) const { return m_names[index]; }

private:
    QList<QString> m_names;  // by index
    QList<QString> m_folded; // their keys, where the folder folds case
    NameSet m_keys;          // over m_names or m_folded
    bool m_foldsCase = false;
};

// One read of a folder: its files as FileSystem::files gives them, and all its names.
struct FolderListing {
    QList<FileEntry> files;
    FolderNames names;
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
    virtual void setCurrentFolder(const QString& folder) = 0;
    // Renames the file `oldName` of `folder` to `newName`, never replacing another file.
    virtual void rename(const QString& folder, const QByteArray& oldName,
                        const QString& newName) = 0;
    // Whether names in `folder` compare without regard to case. A file system that cannot
    // tell answers false.
    virtual bool foldsCase(const QString& folder);
    // The files of `folder` and the names of all its entries; the real file system reads the
    // folder once for both.
    virtual FolderListing listing(const QString& folder);
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
    FolderListing listing(const QString& folder) override;

private:
    // Whether the folder `dir` folds case, judged by one of its `names` (exact names; `listed`
    // holds them all, compared exactly) looked up with the case of its letters flipped. Writes
    // nothing.
    bool foldsCaseAmong(int dir, const QList<QString>& names, const FolderNames& listed);

    RenameCalls* m_calls;
    QString m_current; // the folder setCurrentFolder made current
};

// Paths travel as QString; bytes that are not UTF-8 are carried as the lone surrogates
// U+DC80..U+DCFF, so a path read from disk always maps back to the same bytes.
QByteArray encodePath(const QString& path);
QString decodePath(const QByteArray& bytes);
bool isValidUtf8(const char* data, qsizetype size);
FileEntry decodeFileName(const char* data, qsizetype size);

// A name as a text equal to another exactly when their bytes on disk are equal: the bytes as
// decodePath reads them. For an entry, its bytes; for a new name, the bytes a rename gives it.
QString exactName(const FileEntry& entry);
QString exactName(const QString& newName);
// Whether a text is its own exact name: without surrogates it is just the UTF-8 it encodes to.
bool isExactName(QStringView text);
// Whether a file can be given this name: not empty, "." or "..", without "/" or NUL (which
// would reach another folder or cut the name) and at most 255 bytes once encoded.
bool isValidNewName(const QString& name);
// Both in one look at a new name: isValidNewName and isExactName.
struct NewNameCheck {
    bool valid;
    bool exact;
};
NewNameCheck checkNewName(const QString& name);

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
