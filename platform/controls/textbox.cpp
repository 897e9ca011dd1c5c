#include "controls/textbox.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QValidator>

namespace tessaly {

// Applies the typed-character limit to user edits: the inserted stretch is cut to the room
// left, and an edit that inserts into a full box is refused (as a native edit box does).
// Deleting is always allowed, also from a longer text that the program wrote.
class TypedLimitValidator : public QValidator {
public:
    TypedLimitValidator(TextBox* box, int limit) : QValidator(box), m_box(box), m_limit(limit) {}

    int limit() const { return m_limit; }

    State validate(QString& input, int& pos) const override
    {
        const QString& before = m_box->m_last;
        if (m_box->m_programWrite || input.size() <= m_limit || input.size() <= before.size())
            return Acceptable;
        qsizetype head = 0;
        while (head < before.size() && head < input.size() && before[head] == input[head])
            ++head;
        qsizetype tail = 0;
        while (tail < before.size() - head && tail < input.size() - head &&
               before[before.size() - 1 - tail] == input[input.size() - 1 - tail])
            ++tail;
        const qsizetype room = m_limit - (head + tail);
        if (room <= 0)
            return Invalid;
        input = input.left(head) + input.mid(head, room) + input.right(tail);
        pos = int(head + room);
        return Acceptable;
    }

private:
    TextBox* m_box;
    int m_limit;
};

TextBox::TextBox(QWidget* parent) : QLineEdit(parent)
{
    // textChanged fires only on a real change, for program writes (setText) and user edits
    // alike, and synchronously: exactly the Change rule.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
        m_last = t;
        Q_EMIT Change();
    });
}

TextBox::~TextBox() = default;

void TextBox::setText(const QString& text)
{
    const bool outer = !m_programWrite;
    m_programWrite = true;
    QLineEdit::setText(text);
    if (outer)
        m_programWrite = false;
}

int TextBox::SelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TextBox::setSelStart(int position)
{
    ++m_selectionWrites;
    setCursorPosition(position);
}

int TextBox::SelLength() const
{
    return int(selectedText().size());
}

void TextBox::setSelLength(int length)
{
    ++m_selectionWrites;
    setSelection(SelStart(), length);
}

void TextBox::setTypedLimit(int limit)
{
    delete m_limit;
    m_limit = limit > 0 ? new TypedLimitValidator(this, limit) : nullptr;
    setValidator(m_limit);
}

int TextBox::typedLimit() const
{
    return m_limit ? m_limit->limit() : 0;
}

// A click gives the focus before the box sees the press, and QLineEdit's press then puts the
// caret where the mouse is: whatever the GotFocus handler selected would be lost. So the press
// that brings the focus keeps that selection, and so does the mouse until the button is
// released. A click into the box of an inactive window gives the focus back through the
// window's activation (focus reason ActiveWindow), and the window system may deliver the
// press a moment later, in a round of events of its own (seen under openbox); a click that
// comes later than a hand can follow up is an ordinary one and places the caret.
void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (std::exchange(m_focusReturning, false) && reason == Qt::ActiveWindowFocusReason)
        return;
    const int writes = m_selectionWrites;
    Q_EMIT GotFocus();
    m_pressKeepsSelection = m_selectionWrites != writes && (reason == Qt::MouseFocusReason ||
                                                            reason == Qt::ActiveWindowFocusReason);
    m_focusGained.start();
}

void TextBox::mousePressEvent(QMouseEvent* event)
{
    const bool bringsFocus =
        std::exchange(m_pressKeepsSelection, false) && m_focusGained.elapsed() < FocusClickMs;
    if (!bringsFocus || event->button() != Qt::LeftButton) {
        QLineEdit::mousePressEvent(event);
        return;
    }
    const int start = selectionStart();
    const int length = int(selectedText().size());
    QLineEdit::mousePressEvent(event);
    if (start >= 0)
        setSelection(start, length);
    m_holdingSelection = true;
}

void TextBox::mouseMoveEvent(QMouseEvent* event)
{
    if (m_holdingSelection)
        event->accept(); // a jitter of the hand would select from the press on
    else
        QLineEdit::mouseMoveEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event)
{
    m_holdingSelection = false;
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace tessaly
