#pragma once

#include "filesystem.h"

#include <QAbstractListModel>
#include <QColor>
#include <QPalette>
#include <vector>

namespace tessaly {

// How a row of a list is marked: the colour of its text, an icon before it and a tooltip.
// Colours and icons come from the palette and style of the list's view, so dark themes work.
struct RowMark {
    enum Colour : quint8 { NormalText, MutedText, WarningText };
    enum Icon : quint8 { NoIcon, NoticeIcon, WarningIcon };
    Colour colour = NormalText;
    Icon icon = NoIcon;
    QString toolTip;
};

// A red that stands out from the palette's background as much as its text does: dark on light
// backgrounds, light on dark ones.
QColor warningColour(const QPalette& palette);

// The entries of a list control: names, each with the bytes of the file it stands for, and
// optionally a mark per row. Flat storage and whole-list updates keep lists of a whole folder
// fast.
class NameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    qsizetype size() const { return m_entries.size(); }
    const FileEntry& at(qsizetype row) const { return m_entries[row]; }
    const QList<FileEntry>& entries() const { return m_entries; }

    // Replaces every row; the new rows carry no marks.
    void setEntries(QList<FileEntry> entries);
    void append(FileEntry entry);
    void append(QList<FileEntry> entries);
    // Marks the first marks.size() rows, in one update; the others carry no marks.
    void setMarks(std::vector<RowMark> marks);
    void removeAt(qsizetype row);
    // Keeps the rows whose flag is set, in order, in one update.
    void keepRows(const std::vector<bool>& keep);

private:
    QPalette palette() const;

    QList<FileEntry> m_entries;
    std::vector<RowMark> m_marks; // one per row, or none at all while no row is marked
};

} // namespace tessaly
