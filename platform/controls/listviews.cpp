#include "controls/listviews.h"

#include <memory>
#include <QAbstractItemView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTextDocument>
#include <QToolTip>

namespace tessaly {

namespace {

void follow(QScrollBar& leader, QScrollBar& follower, const std::shared_ptr<bool>& moving)
{
    // The scroll bar that moved first leads: where the other cannot go as far (it shows a row
    // fewer above a horizontal scroll bar), its stop does not pull the first one back.
    const auto move = [moving](QScrollBar& bar, int value) {
        if (*moving)
            return;
        *moving = true;
        bar.setValue(value);
        *moving = false;
    };
    // Each connection lives as long as both scroll bars.
    QObject::connect(&leader, &QScrollBar::valueChanged, &follower,
                     [&follower, move](int value) { move(follower, value); });
    // A scroll bar emits rangeChanged before it brings its value into the new range: taking the
    // other's value here makes that a step of this one alone.
    QObject::connect(&follower, &QScrollBar::rangeChanged, &leader,
                     [&leader, &follower, move] { move(follower, leader.value()); });
}

// The tooltip events of a list's viewport, seen before the list's own handling of them.
class WholeRowTips : public QObject {
public:
    explicit WholeRowTips(QAbstractItemView& view) : QObject(&view), m_view(view) {}

    bool eventFilter(QObject* /*viewport*/, QEvent* event) override
    {
        return event->type() == QEvent::ToolTip && show(*static_cast<QHelpEvent*>(event));
    }

private:
    bool show(QHelpEvent& event) const;

    QAbstractItemView& m_view;
};

bool WholeRowTips::show(QHelpEvent& event) const
{
    const QModelIndex index = m_view.indexAt(event.pos());
    if (!index.isValid())
        return false;
    // What of the row's drawing depends on the list: its font and its icons' size.
    QStyleOptionViewItem option;
    option.initFrom(&m_view);
    option.widget = &m_view;
    option.font = m_view.font();
    option.decorationSize = m_view.iconSize();
    option.rect = m_view.visualRect(index);
    // The width the row needs to show whole, icon and margins included, against what of it is in
    // view: its rect may be narrower (the text is then cut short with an ellipsis) or partly
    // scrolled out of the viewport.
    const int needed = m_view.itemDelegateForIndex(index)->sizeHint(option, index).width();
    const int visibleRight = std::min(option.rect.right() + 1, m_view.viewport()->width());
    if (option.rect.left() >= 0 && option.rect.left() + needed <= visibleRight)
        return false;
    QString tip = index.data(Qt::DisplayRole).toString();
    const QString own = index.data(Qt::ToolTipRole).toString();
    if (!own.isEmpty())
        tip += u'\n' + own;
    // A name may hold "<" and read as markup: it is shown as the characters it is.
    if (Qt::mightBeRichText(tip))
        tip = QStringLiteral("<p style='white-space:pre'>") +
              tip.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")) + QStringLiteral("</p>");
    QToolTip::showText(event.globalPos(), tip, m_view.viewport(), option.rect);
    event.accept();
    return true;
}

} // namespace

void showCutOffRowsWhole(QAbstractItemView& view)
{
    view.viewport()->installEventFilter(new WholeRowTips(view));
}

void scrollTogether(QAbstractItemView& first, QAbstractItemView& second)
{
    QScrollBar& a = *first.verticalScrollBar();
    QScrollBar& b = *second.verticalScrollBar();
    const auto moving = std::make_shared<bool>(false);
    follow(a, b, moving);
    follow(b, a, moving);
}

} // namespace tessaly
