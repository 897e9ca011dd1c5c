#pragma once

#include "filesystem.h"

#include <QAbstractListModel>
#include <vector>

namespace tessaly {

// The entries of a list control: names, each with the bytes of the file it stands for.
// Flat storage and whole-list updates keep lists of a whole folder fast.
class NameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    qsizetype size() const { return m_entries.size(); }
    const FileEntry& at(qsizetype row) const { return m_entries[row]; }
    const QList<FileEntry>& entries() const { return m_entries; }

    void setEntries(QList<FileEntry> entries);
    void append(FileEntry entry);
    void append(QList<FileEntry> entries);
    void removeAt(qsizetype row);
    // Keeps the rows whose flag is set, in order, in one update.
    void keepRows(const std::vector<bool>& keep);

private:
    QList<FileEntry> m_entries;
};

} // namespace tessaly
