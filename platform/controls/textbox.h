#pragma once

#include <QElapsedTimer>
#include <QLineEdit>

namespace tessaly {

class TypedLimitValidator;

// A single-line text box. `Change` is raised on every real change of the text, by the
// user or the program, nested inside the write; `GotFocus` when the box gains the focus.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);
    ~TextBox() override;

    QString Text() const { return text(); }
    // A program write: never cut by the typed-character limit.
    void setText(const QString& text);

    int SelStart() const;
    void setSelStart(int position); // leaves nothing selected
    int SelLength() const;
    void setSelLength(int length);
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
    // The focus will come back to this box as a modal box closes: that return is no gain of
    // the focus (no GotFocus), so the text stays as it was. Any other gain of focus ends this.
    void keepSelectionWhenFocusReturns() { m_focusReturning = true; }
    // A press this soon after the box gained the focus by the mouse is the click that gave it.
    static constexpr int FocusClickMs = 300;

    // At most `limit` characters can be typed or pasted in (0: no limit). Unlike
    // QLineEdit::setMaxLength this never cuts what the program writes.
    void setTypedLimit(int limit);
    int typedLimit() const;

Q_SIGNALS:
    void Change();
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TypedLimitValidator;
    TypedLimitValidator* m_limit = nullptr;
    QString m_last; // the text before the edit under way
    bool m_programWrite = false;
    int m_selectionWrites = 0;          // SelStart and SelLength writes, to see what GotFocus did
    bool m_pressKeepsSelection = false; // the press that brings the focus keeps GotFocus's
    bool m_holdingSelection = false;    // ... until its button is released
    bool m_focusReturning = false;
    QElapsedTimer m_focusGained;
};

} // namespace tessaly
