#pragma once

#include <QString>

namespace tessaly {

// The services of the desktop that the window and the rename run use, each behind an interface
// so that tests answer the boxes, read the clipboard and catch the end of the program. The Qt
// adapters are in qtservices.h.

// The message boxes the window shows.
class MessageBoxService {
public:
    enum Answer { Abort = 3, Retry = 4, Ignore = 5 };
    virtual ~MessageBoxService() = default;
    // Critical icon; Abort, Retry and Ignore; Abort the default; modal and on top.
    virtual Answer runTimeError(const QString& text, const QString& title) = 0;
    // A plain warning with an OK button.
    virtual void warning(const QString& title, const QString& text) = 0;
};

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual void Clear() = 0;
    virtual void SetText(const QString& text) = 0;
    virtual QString text() const = 0;
};

// Ends the program at once: no further handler runs.
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void endNow() = 0;
};

} // namespace tessaly
