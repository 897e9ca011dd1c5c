#pragma once

#include "core/nameset.h"

#include <climits>
#include <cstring>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

// File names and paths: their bytes on disk and the texts that stand for them, and what makes a
// valid new name. Pure functions, no file system.

namespace tessaly {

// A file name as listed: the text shown and worked on, and how it stands for the bytes on disk.
// Names that are not valid UTF-8 are shown decoded as Latin-1, so every byte stays a distinct,
// editable character and the text gives the bytes back; a flag, rather than a copy of the bytes,
// keeps a list of a whole folder small.
struct FileEntry {
    QString name;
    bool notUtf8 = false; // the bytes on disk are name.toLatin1(), not name.toUtf8()

    QByteArray bytes() const;
    friend bool operator==(const FileEntry&, const FileEntry&) = default;
};

// Paths travel as QString; bytes that are not UTF-8 are carried as the lone surrogates
// U+DC80..U+DCFF, so a path read from disk always maps back to the same bytes.
QByteArray encodePath(const QString& path);
QString decodePath(const QByteArray& bytes);
// Appends the UTF-8 of a text to `out`, in one pass; false, with `out` as it was, when the text
// holds a lone surrogate, which UTF-8 cannot carry.
bool appendUtf8(QByteArray& out, QStringView text);
// Writes the UTF-8 of a text to `out`, which has room for three bytes a unit: the number of
// bytes written, or -1 where the text holds a lone surrogate.
qsizetype writeUtf8(QStringView text, char* out);
// Appends bytes to `out`: QByteArray's own append goes the long way, through insert.
inline void appendBytes(QByteArray& out, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    std::memcpy(out.data() + at, bytes.data(), size_t(bytes.size()));
}
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

// A name's bytes on disk, held in place: a file's name takes at most NAME_MAX bytes, so the
// names of a rename need no allocation. A longer text, which no file can have, goes to the heap.
class NameBytes {
public:
    NameBytes() { m_inline[0] = '\0'; }
    // Holds the UTF-8 of `text`; false where UTF-8 cannot carry it (a lone surrogate).
    bool setUtf8(QStringView text);
    void set(const QByteArray& bytes);
    qsizetype size() const { return m_size; }
    // The bytes, followed by a NUL, as a QByteArray that refers to them: valid while this lives
    // unchanged.
    QByteArray bytes() const;

private:
    char m_inline[3 * NAME_MAX + 1]; // a unit takes at most three bytes
    QByteArray m_long;
    qsizetype m_size = 0;
};

// A new name as a rename takes it, worked out once for the rename, its history and its log:
// the text as an exact name (see exactName), whether it can name a file (see isValidNewName),
// and its bytes on disk. A text converts to one.
class NewName {
public:
    NewName(const QString& text);

    const QString& text() const { return m_text; }
    bool valid() const { return m_valid; }
    // Valid while this lives.
    QByteArray bytes() const { return m_bytes.bytes(); }
    // Whether the bytes are the UTF-8 of the text: it holds no lone surrogate.
    bool isUtf8() const { return m_utf8; }

private:
    QString m_text;
    NameBytes m_bytes;
    bool m_valid = false;
    bool m_utf8 = false;
};

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
    // Holds the name of this entry through the given copy of its text, dropping its own, so
    // that a folder's names are kept once, where the caller laid them out.
    void share(const FileEntry& entry);
    // The same for the entry whose name was at `listed` among the names this was made of.
    void share(qsizetype listed, const FileEntry& entry);

private:
    QList<QString> m_names;  // by index
    QList<QString> m_folded; // their keys, where the folder folds case
    NameSet m_keys;          // over m_names or m_folded
    bool m_foldsCase = false;
};

// "/a/b/" -> "/a/b", "" -> "", "/" stays "/"; "." and ".." segments resolved.
QString normalFolderPath(const QString& path);
// The folder above `path`, or an empty text at the root.
QString parentFolder(const QString& path);
// `folder` joined with a bare name.
QString joinPath(const QString& folder, const QString& name);

} // namespace tessaly
