#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tessaly::test {

// A folder of real files for a test, removed afterwards, names that are not UTF-8 included.
// `path` has no trailing "/".
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const QStringList& files);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const QString& path() const { return m_path; }
    QString pathOf(const QString& name) const { return m_path + u'/' + name; }
    // Creates a file (and the folders above it) holding `content`, by default its own name.
    void file(const QString& relative, const QByteArray& content = {});
    void folder(const QString& relative);
    // A hard link `name` to the file `existing`, and a symbolic link `name` to `target` as
    // written; false where the system refuses them.
    bool hardLink(const QString& existing, const QString& name) const;
    bool symbolicLink(const QString& target, const QString& name) const;
    void remove(const QString& relative);
    bool exists(const QString& relative) const;
    QByteArray read(const QString& relative) const;
    // The bare names in the folder (files and folders), sorted by code units.
    QStringList names(const QString& relative = {}) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Entries by the bytes of their names, which QDir cannot handle where they are not UTF-8.
inline const QByteArray folderMark = "(folder)";
// Every entry of a folder, hidden ones included: name -> content (folderMark for a folder).
QMap<QByteArray, QByteArray> readEntries(const QString& folder);
// A file holding `content`, or a folder for folderMark; false where the name is taken or
// refused.
bool createEntry(const QString& folder, const QByteArray& name, const QByteArray& content);
// Removes everything in the folder, and below it.
void removeEntries(const QString& folder);

} // namespace tessaly::test
