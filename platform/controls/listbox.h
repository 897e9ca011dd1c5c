#pragma once

#include "controls/namelistmodel.h"

#include <QListView>
#include <vector>

namespace tessaly {

// A list box: a scrollable list of entries, each with a selected flag. Never sorted.
// `KeyDown` is raised before the list's own handling of a key, `MouseUp` after a button
// release, `MenuKey` after KeyDown for the keys that open a popup menu; all come from the user
// only. A list box of lines (a log) keeps only their texts,
// compactly, and has no entries().
class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr, NameListModel::Rows rows = NameListModel::Names);

    void Clear();
    void AddItem(const QString& text) { AddItem(FileEntry{text, {}}); }
    void AddItem(FileEntry entry);
    // Appends several entries in one update.
    void AddItems(QList<FileEntry> entries);
    void AddItems(TextLines lines); // to a list box of lines only
    bool linesOnly() const { return m_model->linesOnly(); }
    void RemoveItem(qsizetype index);
    qsizetype ListCount() const { return m_model->size(); }
    QString List(qsizetype index) const;
    bool Selected(qsizetype index) const;
    void setSelected(qsizetype index, bool selected);

    const QList<FileEntry>& entries() const { return m_model->entries(); }
    QStringList texts() const;
    // Replaces all entries at once; none is selected afterwards.
    void setEntries(QList<FileEntry> entries);
    // The selected flag of every entry, read in one pass over the selection's ranges.
    std::vector<bool> selectedFlags() const;
    // Keeps the entries whose flag is set, in order and with their selected flags, in one
    // update of the list.
    void keepEntries(const std::vector<bool>& keep);
    // Marks the first marks.size() entries (their colour, an icon and a tooltip).
    void setMarks(RowMarks marks) { m_model->setMarks(std::move(marks)); }
    void setIconWords(QString notice, QString warning)
    {
        m_model->setIconWords(std::move(notice), std::move(warning));
    }

Q_SIGNALS:
    void KeyDown(int keyCode, int shift);
    void MouseUp(int button, int shift, double x, double y);
    // The keyboard's menu keys: the Menu key, Shift+F10.
    void MenuKey();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitIconsToText();
    void selectRows(const std::vector<bool>& flags);
    NameListModel* m_model;
};

} // namespace tessaly
