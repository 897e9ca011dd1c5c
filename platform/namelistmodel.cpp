#include "namelistmodel.h"

namespace tessaly {

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_entries[index.row()].name;
    return {};
}

void NameListModel::setEntries(QList<FileEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void NameListModel::append(FileEntry entry)
{
    const int row = int(m_entries.size());
    beginInsertRows({}, row, row);
    m_entries.append(std::move(entry));
    endInsertRows();
}

void NameListModel::append(QList<FileEntry> entries)
{
    if (entries.isEmpty())
        return;
    if (m_entries.isEmpty()) {
        setEntries(std::move(entries));
        return;
    }
    const int first = int(m_entries.size());
    beginInsertRows({}, first, first + int(entries.size()) - 1);
    m_entries.append(std::move(entries));
    endInsertRows();
}

void NameListModel::removeAt(qsizetype row)
{
    beginRemoveRows({}, int(row), int(row));
    m_entries.removeAt(row);
    endRemoveRows();
}

void NameListModel::keepRows(const std::vector<bool>& keep)
{
    QList<FileEntry> kept;
    kept.reserve(m_entries.size());
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        if (keep[size_t(i)])
            kept.append(std::move(m_entries[i]));
    setEntries(std::move(kept));
}

} // namespace tessaly
