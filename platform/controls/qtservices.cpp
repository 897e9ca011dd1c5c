#include "controls/qtservices.h"

#include <cstdlib>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>

namespace tessaly {

MessageBoxService::Answer QtMessageBoxService::runTimeError(const QString& text,
                                                            const QString& title)
{
    QMessageBox box(QMessageBox::Critical, title, text,
                    QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, m_parent);
    // Without an explicit default, Enter would press Retry.
    box.setDefaultButton(QMessageBox::Abort);
    box.setEscapeButton(QMessageBox::Abort);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // A long run shows the wait cursor; the box takes the normal pointer while it is up.
    int waits = 0;
    for (; QGuiApplication::overrideCursor(); ++waits)
        QGuiApplication::restoreOverrideCursor();
    const int pressed = box.exec();
    while (waits-- > 0)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    switch (pressed) {
    case QMessageBox::Retry:
        return Retry;
    case QMessageBox::Ignore:
        return Ignore;
    default:
        return Abort;
    }
}

void QtMessageBoxService::warning(const QString& title, const QString& text)
{
    QMessageBox::warning(m_parent, title, text);
}

void QtClipboardService::Clear()
{
    QGuiApplication::clipboard()->clear();
}

void QtClipboardService::SetText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString QtClipboardService::text() const
{
    return QGuiApplication::clipboard()->text();
}

void ProcessEnd::endNow()
{
    // At once: no event loop, no destructors, no other handler.
    std::_Exit(EXIT_FAILURE);
}

} // namespace tessaly
