#pragma once

#include "core/services.h"

class QWidget;

namespace tessaly {

// The services of services.h on Qt: message boxes, the system clipboard, the process.
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
