#pragma once

#include "controls/namelistmodel.h"
#include "core/filesystem.h"

#include <QListView>

namespace tessaly {

// The file list: the files of a folder that match a pattern, in natural order. `PathChange`
// and `PatternChange` are raised on a real change, by the program or the user; `Click`
// when the user picks an entry.
class FileList : public QListView {
    Q_OBJECT
public:
    explicit FileList(FileSystem& fs, QWidget* parent = nullptr);

    const QString& Path() const { return m_path; }
    // A folder that cannot be read throws RunTimeError and leaves the list as it was.
    void setPath(const QString& path);
    const QString& Pattern() const { return m_pattern; }
    // The new pattern holds even when the folder cannot be read (the list is then empty
    // and RunTimeError is thrown).
    void setPattern(const QString& pattern);
    // Re-reads the folder; raises nothing. A folder that is gone empties the list and throws.
    void Refresh();

    qsizetype ListCount() const { return m_model->size(); }
    // The bare name at an index; an index outside the list yields an empty text.
    QString List(qsizetype index) const;
    const QList<FileEntry>& entries() const { return m_model->entries(); }
    qsizetype ListIndex() const;
    // Every name in the folder as of the last read, shown or not (dot files, folders and files
    // the pattern hides included): a rename onto any of them fails.
    const FolderNames& folderNames() const { return m_names; }

Q_SIGNALS:
    void PathChange();
    void PatternChange();
    void Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Reads the folder once: the list's entries and every name in it.
    void read(const QString& folder);

    FileSystem& m_fs;
    NameListModel* m_model;
    FolderNames m_names;
    QString m_path;
    QString m_pattern = QStringLiteral("*");
};

} // namespace tessaly
