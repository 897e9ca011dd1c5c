#pragma once

#include "controls/textlines.h"
#include "core/filesystem.h"

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
    quint32 toolTip = 0; // 1 + its index in RowMarks::toolTips; 0 for none
};

// The marks of a list's first rows: a few bytes a row, since a list of a whole folder may be
// marked anew on every keystroke, and the tooltips of the rows that have one.
struct RowMarks {
    std::vector<RowMark> rows;
    QStringList toolTips;

    // Marks the next row.
    void append(RowMark mark, const QString& toolTip)
    {
        if (!toolTip.isEmpty()) {
            toolTips.append(toolTip);
            mark.toolTip = quint32(toolTips.size());
        }
        rows.push_back(mark);
    }
};

// A red that stands out from the palette's background as much as its text does: dark on light
// backgrounds, light on dark ones.
QColor warningColour(const QPalette& palette);

// The entries of a list control: names, each with the bytes of the file it stands for, and
// optionally a mark per row. Flat storage and whole-list updates keep lists of a whole folder
// fast. A list of plain lines (a log) keeps only their texts, compactly: it has no entries.
class NameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Rows : bool { Names, Lines };
    explicit NameListModel(QObject* parent, Rows rows = Names)
        : QAbstractListModel(parent), m_linesOnly(rows == Lines)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    bool linesOnly() const { return m_linesOnly; }
    qsizetype size() const { return m_linesOnly ? m_lines.size() : m_entries.size(); }
    QString text(qsizetype row) const
    {
        return m_linesOnly ? m_lines.at(row) : m_entries[row].name;
    }
    const FileEntry& at(qsizetype row) const { return m_entries[row]; }
    const QList<FileEntry>& entries() const { return m_entries; }

    // Replaces every row; the new rows carry no marks.
    void setEntries(QList<FileEntry> entries);
    void append(FileEntry entry);
    void append(QList<FileEntry> entries);
    void append(TextLines lines); // to a list of lines only
    // Marks the first marks.size() rows, in one update; the others carry no marks.
    void setMarks(RowMarks marks);
    // What a screen reader hears of each icon before a marked row's tooltip, which is the row's
    // accessible description: "Note", "Would fail". Without them, the tooltip alone.
    void setIconWords(QString notice, QString warning)
    {
        m_iconWords[RowMark::NoticeIcon] = std::move(notice);
        m_iconWords[RowMark::WarningIcon] = std::move(warning);
    }
    void removeAt(qsizetype row);
    // Keeps the rows whose flag is set, in order, in one update.
    void keepRows(const std::vector<bool>& keep);

private:
    QPalette palette() const;

    bool m_linesOnly;
    QList<FileEntry> m_entries;
    TextLines m_lines;            // the rows of a list of lines
    std::vector<RowMark> m_marks; // one per row, or none at all while no row is marked
    QStringList m_toolTips;
    QString m_iconWords[RowMark::WarningIcon + 1];
};

} // namespace tessaly
