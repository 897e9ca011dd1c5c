#include "controls/simplecontrols.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tessaly {

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent)
{
    // The state's change is signalled for program writes and user clicks alike, only on a real
    // change; `clicked` would miss program writes. Qt 6.7 renamed the signal.
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    connect(this, &QCheckBox::checkStateChanged, this, &CheckBox::Click);
#else
    connect(this, &QCheckBox::stateChanged, this, &CheckBox::Click);
#endif
}

int CheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void CheckBox::setValue(int value)
{
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void CheckBox::paintEvent(QPaintEvent* /*event*/)
{
    // Fusion's indicator is 14 pixels high, one more than the window's 13-pixel boxes, and lost
    // its bottom edge; the style's own focus frame went round the caption, outside the box.
    // So the indicator is drawn fitted into the height; Fusion marks keyboard focus on it.
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const int side =
        qMin(height(), style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this));
    option.rect = QStyle::alignedRect(layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter,
                                      QSize(side, side), rect());
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, option);
}

CommandButton::CommandButton(int index, QWidget* parent) : QPushButton(parent), m_index(index)
{
    connect(this, &QPushButton::clicked, this, [this] { Q_EMIT Click(m_index); });
}

void Label::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void Label::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = std::exchange(m_pressed, false) && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    QLabel::mouseReleaseEvent(event);
    if (click)
        Q_EMIT Click();
}

void Label::setCaption(const QString& caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i; // "&&" shows one "&"; a lone "&" only marks a mnemonic
        shown += caption[i];
    }
    setText(shown);
}

QAction* PopupMenu::addItem(const QString& name, const QString& caption)
{
    QAction* action = addAction(caption);
    action->setObjectName(name);
    return action;
}

void PopupMenu::popupAtMouse()
{
    popup(QCursor::pos());
}

void PopupMenu::popupAtCurrent(QAbstractItemView* list)
{
    const QRect row = list->visualRect(list->currentIndex());
    const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
    popup(list->viewport()->mapToGlobal(at));
}

} // namespace tessaly
