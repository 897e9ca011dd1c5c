#include "controls/listbox.h"

#include "controls/keycodes.h"
#include "controls/listviews.h"

#include <algorithm>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace tessaly {

namespace {

// Rows as high as their text alone: an icon is drawn within that height, so a list with icons
// keeps the row height of the lists beside it.
class TextHighRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        QStyleOptionViewItem text = option;
        initStyleOption(&text, index);
        if (!(text.features & QStyleOptionViewItem::HasDecoration))
            return size;
        text.features &= ~QStyleOptionViewItem::HasDecoration;
        text.icon = QIcon();
        text.decorationSize = QSize();
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        size.setHeight(
            style->sizeFromContents(QStyle::CT_ItemViewItem, &text, QSize(), option.widget)
                .height());
        return size;
    }
};

} // namespace

ListBox::ListBox(QWidget* parent, NameListModel::Rows rows)
    : QListView(parent), m_model(new NameListModel(this, rows))
{
    setModel(m_model);
    setUniformItemSizes(true); // keeps a list of a whole folder fast
    setItemDelegate(new TextHighRows(this));
    fitIconsToText();
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    showCutOffRowsWhole(*this);
}

void ListBox::Clear()
{
    m_model->setEntries({});
}

void ListBox::AddItem(FileEntry entry)
{
    m_model->append(std::move(entry));
}

void ListBox::AddItems(QList<FileEntry> entries)
{
    m_model->append(std::move(entries));
}

void ListBox::AddItems(TextLines lines)
{
    m_model->append(std::move(lines));
}

void ListBox::RemoveItem(qsizetype index)
{
    m_model->removeAt(index);
}

QString ListBox::List(qsizetype index) const
{
    return index >= 0 && index < m_model->size() ? m_model->text(index) : QString();
}

bool ListBox::Selected(qsizetype index) const
{
    return selectionModel()->isRowSelected(int(index), {});
}

void ListBox::setSelected(qsizetype index, bool selected)
{
    selectionModel()->select(m_model->index(int(index)), selected ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::Deselect);
}

QStringList ListBox::texts() const
{
    QStringList out;
    out.reserve(m_model->size());
    for (qsizetype i = 0; i < m_model->size(); ++i)
        out.append(m_model->text(i));
    return out;
}

void ListBox::setEntries(QList<FileEntry> entries)
{
    m_model->setEntries(std::move(entries));
}

std::vector<bool> ListBox::selectedFlags() const
{
    // isRowSelected per row slows down with the square of the number of ranges; one
    // pass over the ranges does not.
    std::vector<bool> flags(size_t(m_model->size()), false);
    for (const QItemSelectionRange& r : selectionModel()->selection())
        for (int row = r.top(); row <= r.bottom(); ++row)
            flags[size_t(row)] = true;
    return flags;
}

void ListBox::selectRows(const std::vector<bool>& flags)
{
    QItemSelection selection;
    for (size_t i = 0; i < flags.size();) {
        if (!flags[i]) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end + 1 < flags.size() && flags[end + 1])
            ++end;
        selection.append(QItemSelectionRange(m_model->index(int(i)), m_model->index(int(end))));
        i = end + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ListBox::keepEntries(const std::vector<bool>& keep)
{
    if (std::all_of(keep.begin(), keep.end(), [](bool k) { return k; }))
        return; // nothing goes: the list stays exactly as it is
    const std::vector<bool> selected = selectedFlags();
    const int currentRow = currentIndex().row();
    const QModelIndex top = indexAt(QPoint(0, 0));
    // Where an old row lands among the survivors: the first survivor at or after it.
    std::vector<int> newRow(keep.size() + 1);
    std::vector<bool> survivorsSelected;
    survivorsSelected.reserve(selected.size());
    int next = 0;
    for (size_t i = 0; i < keep.size(); ++i) {
        newRow[i] = next;
        if (keep[i]) {
            survivorsSelected.push_back(selected[i]);
            ++next;
        }
    }
    newRow[keep.size()] = next;

    m_model->keepRows(keep);
    selectRows(survivorsSelected);
    if (next == 0)
        return;
    // Keep the caret and the scroll position near where they were.
    if (currentRow >= 0)
        selectionModel()->setCurrentIndex(
            m_model->index(std::min(newRow[size_t(currentRow)], next - 1)),
            QItemSelectionModel::NoUpdate);
    if (top.isValid())
        scrollTo(m_model->index(std::min(newRow[size_t(top.row())], next - 1)), PositionAtTop);
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT KeyDown(virtualKeyCode(event->key()), shiftState(event->modifiers()));
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
        (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        event->accept();
        Q_EMIT MenuKey();
        return;
    }
    QListView::keyPressEvent(event);
}

void ListBox::mousePressEvent(QMouseEvent* event)
{
    // The right button opens the popup menu over the selection; it must not change it.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton)
        QListView::mouseReleaseEvent(event);
    else
        event->accept();
    const QPointF p = event->position();
    Q_EMIT MouseUp(buttonCode(event->button()), shiftState(event->modifiers()), p.x(), p.y());
}

void ListBox::changeEvent(QEvent* event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitIconsToText();
}

void ListBox::fitIconsToText()
{
    // Icons as high as a line of text (TextHighRows keeps the rows at that height), so that the
    // lines of the preview stay level with the files beside them.
    const int side = fontMetrics().height();
    setIconSize(QSize(side, side));
}

} // namespace tessaly
