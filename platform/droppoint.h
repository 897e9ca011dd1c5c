#pragma once

#include <QFrame>

namespace tessaly {

// The drop point: a small sunken box with a crosshair pointer that serves as a surface
// for drag and drop.
class DropPoint : public QFrame {
    Q_OBJECT
public:
    explicit DropPoint(QWidget* parent = nullptr);
};

} // namespace tessaly
