#include "controls/droppoint.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QPointer>

namespace tessaly {

namespace {

qint16 buttonBits(Qt::MouseButtons buttons)
{
    return qint16((buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
                  (buttons & Qt::MiddleButton ? 4 : 0));
}

qint16 shiftBits(Qt::KeyboardModifiers modifiers)
{
    return qint16((modifiers & Qt::ShiftModifier ? 1 : 0) |
                  (modifiers & Qt::ControlModifier ? 2 : 0) |
                  (modifiers & Qt::AltModifier ? 4 : 0));
}

// Any data is taken: a drop without a file list is still delivered.
void offer(QDropEvent* event)
{
    const Qt::DropAction effect = DropPoint::acceptedEffect(event->possibleActions());
    if (event->mimeData() && !event->mimeData()->formats().isEmpty() && effect) {
        event->setDropAction(effect);
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace

DropPoint::DropPoint(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setCursor(Qt::CrossCursor);
    setAcceptDrops(true);
}

Qt::DropAction DropPoint::acceptedEffect(Qt::DropActions possible)
{
    if (possible & Qt::CopyAction)
        return Qt::CopyAction;
    if (possible & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

void DropPoint::dragEnterEvent(QDragEnterEvent* event)
{
    offer(event);
}

void DropPoint::dragMoveEvent(QDragMoveEvent* event)
{
    offer(event);
}

void DropPoint::dropEvent(QDropEvent* event)
{
    DragData data(event->mimeData());
    qint32 effect = acceptedEffect(event->possibleActions());
    const QPointF at = event->position();
    Q_EMIT OLEDragDrop(data, effect, buttonBits(event->buttons()), shiftBits(event->modifiers()),
                       float(at.x()), float(at.y()));
    const auto action = Qt::DropAction(effect);
    if (action != Qt::IgnoreAction && (event->possibleActions() & action)) {
        event->setDropAction(action);
        event->accept();
    } else {
        event->ignore();
    }
}

void DropPoint::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    m_pressedAt = event->position().toPoint();
    event->accept();
}

void DropPoint::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || event->buttons() == Qt::NoButton)
        return;
    if ((event->position().toPoint() - m_pressedAt).manhattanLength() <
        QApplication::startDragDistance())
        return;
    m_pressed = false;
    startDrag();
}

void DropPoint::mouseReleaseEvent(QMouseEvent* /*event*/)
{
    m_pressed = false;
}

void DropPoint::startDrag()
{
    auto* data = new DragSourceData; // owned by the drag from here on
    auto* drag = new QDrag(this);    // Qt deletes it when the drag is over
    drag->setMimeData(data);
    data->onRequest = [self = QPointer<DropPoint>(this), data](int format) {
        if (!self)
            return;
        DragData request(data);
        Q_EMIT self->OLESetData(request, qint16(format));
    };
    DragData view(data);
    qint32 allowed = qint32(DragEffects.toInt());
    Q_EMIT OLEStartDrag(view, allowed);
    // Copy is proposed unless the receiver or the user picks another allowed effect.
    drag->exec(Qt::DropActions::fromInt(allowed), Qt::CopyAction);
}

} // namespace tessaly
