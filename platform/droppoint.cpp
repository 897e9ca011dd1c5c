#include "droppoint.h"

namespace tessaly {

DropPoint::DropPoint(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setCursor(Qt::CrossCursor);
}

} // namespace tessaly
