#include "controls/namelistmodel.h"

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
    return parent.isValid() ? 0 : int(size());
}

QPalette NameListModel::palette() const
{
    // The model of a list control belongs to its view.
    const auto* view = qobject_cast<const QWidget*>(QObject::parent());
    return view ? view->palette() : QGuiApplication::palette();
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return text(index.row());
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
        return mark.toolTip == 0 ? QVariant() : QVariant(m_toolTips[mark.toolTip - 1]);
    case Qt::AccessibleDescriptionRole: {
        if (mark.toolTip == 0)
            return {};
        const QString& word = m_iconWords[mark.icon];
        const QString& tip = m_toolTips[mark.toolTip - 1];
        return word.isEmpty() ? tip : word + QStringLiteral(": ") + tip;
    }
    default:
        return {};
    }
}

void NameListModel::setEntries(QList<FileEntry> entries)
{
    beginResetModel();
    if (m_linesOnly) {
        m_lines = {};
        for (const FileEntry& e : std::as_const(entries))
            m_lines.append(e.name);
    } else {
        m_entries = std::move(entries);
    }
    m_marks.clear();
    m_toolTips.clear();
    endResetModel();
}

void NameListModel::append(FileEntry entry)
{
    const int row = int(size());
    beginInsertRows({}, row, row);
    if (m_linesOnly)
        m_lines.append(entry.name);
    else
        m_entries.append(std::move(entry));
    if (!m_marks.empty())
        m_marks.emplace_back();
    endInsertRows();
}

void NameListModel::append(QList<FileEntry> entries)
{
    if (entries.isEmpty())
        return;
    if (size() == 0) {
        setEntries(std::move(entries));
        return;
    }
    const int first = int(size());
    beginInsertRows({}, first, first + int(entries.size()) - 1);
    if (m_linesOnly) {
        for (const FileEntry& e : std::as_const(entries))
            m_lines.append(e.name);
    } else {
        m_entries.append(std::move(entries));
    }
    if (!m_marks.empty())
        m_marks.resize(size_t(size()));
    endInsertRows();
}

void NameListModel::append(TextLines lines)
{
    Q_ASSERT(m_linesOnly);
    if (lines.isEmpty())
        return;
    const int first = int(size());
    beginInsertRows({}, first, first + int(lines.size()) - 1);
    m_lines.append(std::move(lines));
    if (!m_marks.empty())
        m_marks.resize(size_t(size()));
    endInsertRows();
}

void NameListModel::setMarks(RowMarks marks)
{
    if (marks.rows.empty() && m_marks.empty())
        return;
    m_marks = std::move(marks.rows);
    m_toolTips = std::move(marks.toolTips);
    m_marks.resize(size_t(size()));
    if (size() != 0)
        Q_EMIT dataChanged(index(0), index(int(size()) - 1),
                           {Qt::ForegroundRole, Qt::DecorationRole, Qt::ToolTipRole,
                            Qt::AccessibleDescriptionRole});
}

void NameListModel::removeAt(qsizetype row)
{
    beginRemoveRows({}, int(row), int(row));
    if (m_linesOnly) {
        std::vector<bool> keep(size_t(size()), true);
        keep[size_t(row)] = false;
        m_lines.keep(keep);
    } else {
        m_entries.removeAt(row);
    }
    if (!m_marks.empty())
        m_marks.erase(m_marks.begin() + row);
    endRemoveRows();
}

void NameListModel::keepRows(const std::vector<bool>& keep)
{
    QList<FileEntry> kept;
    std::vector<RowMark> keptMarks;
    kept.reserve(m_entries.size());
    for (qsizetype i = 0; i < size(); ++i) {
        if (!keep[size_t(i)])
            continue;
        if (!m_linesOnly)
            kept.append(std::move(m_entries[i]));
        if (!m_marks.empty())
            keptMarks.push_back(std::move(m_marks[size_t(i)]));
    }
    beginResetModel();
    if (m_linesOnly)
        m_lines.keep(keep);
    else
        m_entries = std::move(kept);
    m_marks = std::move(keptMarks);
    endResetModel();
}

} // namespace tessaly
