#pragma once

#include <QString>

class QWidget;

namespace tessaly {

// The message boxes the window shows. Tests answer them through this seam.
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

class QtMessageBoxService : public MessageBoxService {
public:
    explicit QtMessageBoxService(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    Answer runTimeError(const QString& text, const QString& title) override;
    void warning(const QString& title, const QString& text) override;

private:
    QWidget* m_parent;
};

class QtClipboardService : public ClipboardService {
public:
    void Clear() override;
    void SetText(const QString& text) override;
    QString text() const override;
};

class ProcessEnd : public ProgramEnd {
public:
    [[noreturn]] void endNow() override;
};

} // namespace tessaly
