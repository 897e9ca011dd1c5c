#pragma once

#include "core/dragdata.h"

#include <QFrame>
#include <QPoint>

namespace tessaly {

// Drop effects are numbers with the bits of Qt::DropAction: 0 none, 1 copy, 2 move, 4 link.

// The drop point: a small sunken box with a crosshair pointer, a surface for drag and drop.
// A drop on it is delivered to `OLEDragDrop`. Pressing a mouse button on it and moving past
// the drag distance starts a drag by itself: `OLEStartDrag` fills in the drag's data, and
// `OLESetData` supplies declared contents each time the drop target reads them.
class DropPoint : public QFrame {
    Q_OBJECT
public:
    // What a drag from the point allows; the receiver picks one. Never Move: a file manager
    // told to move the active folder would carry the user's music away.
    static constexpr Qt::DropActions DragEffects = Qt::CopyAction | Qt::LinkAction;

    explicit DropPoint(QWidget* parent = nullptr);

    // The effect with which a drop offering `possible` effects is taken: copy, else link,
    // never move (a source told "moved" may delete what it dragged here); 0 when neither.
    static Qt::DropAction acceptedEffect(Qt::DropActions possible);

Q_SIGNALS:
    // Button bits 1 left, 2 right, 4 middle; shift bits 1 Shift, 2 Ctrl, 4 Alt; x, y in
    // pixels. The effect goes back to the drag's source as the drop's result (0 refuses).
    void OLEDragDrop(tessaly::DragData& data, qint32& effect, qint16 button, qint16 shift, float x,
                     float y);
    void OLEStartDrag(tessaly::DragData& data, qint32& allowedEffects);
    void OLESetData(tessaly::DragData& data, qint16 format);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void startDrag();

    bool m_pressed = false;
    QPoint m_pressedAt;
};

} // namespace tessaly
