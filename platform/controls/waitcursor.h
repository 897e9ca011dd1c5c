#pragma once

#include <QGuiApplication>

namespace tessaly {

// Shows the wait cursor over the program's window for as long as it lives, also when the work
// ends by an exception; nested ones stack. Under X11 the cursor change reaches the server at
// once, so it shows while the event thread is blocked in the work (checked with a probe that
// read the server's cursor during a blocking sleep).
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace tessaly
