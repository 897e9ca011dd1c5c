#include "controls/qtservices.h"

#include "controls/textbox.h"

#include <cstdlib>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProxyStyle>

namespace tessaly {

namespace {

// Lays out a dialog's buttons by the rules of one platform's layout, whatever the desktop's.
class ButtonLayoutStyle : public QProxyStyle {
public:
    explicit ButtonLayoutStyle(QDialogButtonBox::ButtonLayout layout) : m_layout(layout) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        if (hint == SH_DialogButtonLayout)
            return m_layout;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    QDialogButtonBox::ButtonLayout m_layout;
};

// The run-time error box stays until one of its buttons is pressed: Escape and closing the
// window do nothing (QMessageBox would take them for Abort, which ends the program).
class RunTimeErrorBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape)
            event->accept();
        else
            QMessageBox::keyPressEvent(event);
    }
    // A button's own press closes the box without a close event (QDialog::done).
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

} // namespace

MessageBoxService::Answer QtMessageBoxService::runTimeError(const QString& text,
                                                            const QString& title)
{
    RunTimeErrorBox box(QMessageBox::Critical, title, text, QMessageBox::NoButton, m_parent);
    // Abort, Retry, Ignore from left to right on every desktop. The Android layout puts the
    // button that rejects (Abort) first, then the buttons that accept but the first (Retry),
    // then the first of them (Ignore).
    auto* buttons = box.findChild<QDialogButtonBox*>();
    auto* layout = new ButtonLayoutStyle(QDialogButtonBox::AndroidLayout);
    layout->setParent(&box);
    buttons->setStyle(layout);
    box.addButton(QMessageBox::Abort);
    box.addButton(QMessageBox::Ignore);
    box.addButton(QMessageBox::Retry);
    // Without an explicit default, Enter would press Retry.
    box.setDefaultButton(QMessageBox::Abort);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // The focus comes back to where it was when the box closes: a text box that selects its
    // whole text as it gains the focus keeps it as it was instead.
    if (auto* returning = qobject_cast<TextBox*>(QApplication::focusWidget()))
        returning->keepSelectionWhenFocusReturns();
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
