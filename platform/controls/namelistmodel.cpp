#include "namelistmodel.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

namespace tessaly {

QColor warningColour(const QPalette& palette)
{
    const bool darkBackground = palette.color(QPalette::Base).lightnessF() < 0.5;
    return QColor::fromHslF(0.0, 0.9, darkBackground ? 0.7 : 0.4);
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QPalette NameListModel::palette() const
{
    // The model of a list control belongs to its view.
    const auto* view = qobject_cast<const QWidget*>(QObject::parent());
    return view ? view->palette() : QGuiApplication::palette();
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_entries[index.row()].name;
    if (m_marks.empty())
        return {};
    const RowMark& mark = m_marks[size_t(index.row())];
    switch (role) {
    case Qt::ForegroundRole:
        if (mark.colour == RowMark::MutedText)
            return palette().brush(QPalette::PlaceholderText);
        if (mark.colour == RowMark::WarningText)
            return QBrush(warningColour(palette()));
        return {};
    case Qt::DecorationRole: {
        if (mark.icon == RowMark::NoIcon)
            return {};
        const auto* view = qobject_cast<const QWidget*>(QObject::parent());
        QStyle* style = view ? view->style() : QApplication::style();
        return style->standardIcon(mark.icon == RowMark::WarningIcon
                                       ? QStyle::SP_MessageBoxWarning
                                       : QStyle::SP_MessageBoxInformation);
    }
    case Qt::ToolTipRole:
        return mark.toolTip.isEmpty() ? QVariant() : QVariant(mark.toolTip);
    default:
        return {};
    }
}

void NameListModel::setEntries(QList<FileEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_marks.clear();
    endResetModel();
}

void NameListModel::append(FileEntry entry)
{
    const int row = int(m_entries.size());
    beginInsertRows({}, row, row);
    m_entries.append(std::move(entry));
    if (!m_marks.empty())
        m_marks.emplace_back();
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
    if (!m_marks.empty())
        m_marks.resize(size_t(m_entries.size()));
    endInsertRows();
}

void NameListModel::setMarks(std::vector<RowMark> marks)
{
    if (marks.empty() && m_marks.empty())
        return;
    m_marks = std::move(marks);
    m_marks.resize(size_t(m_entries.size()));
    if (!m_entries.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_entries.size()) - 1),
                           {Qt::ForegroundRole, Qt::DecorationRole, Qt::ToolTipRole});
}

void NameListModel::removeAt(qsizetype row)
{
    beginRemoveRows({}, int(row), int(row));
    m_entries.removeAt(row);
    if (!m_marks.empty())
        m_marks.erase(m_marks.begin() + row);
    endRemoveRows();
}

void NameListModel::keepRows(const std::vector<bool>& keep)
{
    QList<FileEntry> kept;
    std::vector<RowMark> keptMarks;
    kept.reserve(m_entries.size());
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (!keep[size_t(i)])
            continue;
        kept.append(std::move(m_entries[i]));
        if (!m_marks.empty())
            keptMarks.push_back(std::move(m_marks[size_t(i)]));
    }
    beginResetModel();
    m_entries = std::move(kept);
    m_marks = std::move(keptMarks);
    endResetModel();
}

} // namespace tessaly
