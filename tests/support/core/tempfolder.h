#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tessaly::test {

// A folder of real files for a test, removed afterwards. `path` has no trailing "/".
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const QStringList& files);

    const QString& path() const { return m_path; }
    QString pathOf(const QString& name) const { return m_path + u'/' + name; }
    // Creates a file (and the folders above it) holding `content`, by default its own name.
    void file(const QString& relative, const QByteArray& content = {});
    void folder(const QString& relative);
    void remove(const QString& relative);
    bool exists(const QString& relative) const;
    QByteArray read(const QString& relative) const;
    // The bare names in the folder (files and folders), sorted by code units.
    QStringList names(const QString& relative = {}) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace tessaly::test
