#include "textbox.h"

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
    setCursorPosition(position);
}

int TextBox::SelLength() const
{
    return int(selectedText().size());
}

void TextBox::setSelLength(int length)
{
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

void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    Q_EMIT GotFocus();
}

} // namespace tessaly
