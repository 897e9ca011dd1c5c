#pragma once

#include <QAbstractItemView>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace tessaly {

// A check box. `Value` is 0 (clear), 1 (ticked) or 2 (greyed). `Click` is raised on every
// real change of the value, by the user or the program, nested inside the write. Only the box
// itself is drawn: the window's check boxes are too narrow to show a caption.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget* parent = nullptr);

    int Value() const;
    void setValue(int value);

Q_SIGNALS:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A push button, member `index` of a button array. `Click` comes from the user only.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    CommandButton(int index, QWidget* parent = nullptr);
    int index() const { return m_index; }

Q_SIGNALS:
    void Click(int index);

private:
    int m_index;
};

// A line of static text; "&&" in a caption shows as one "&".
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr) : QLabel(parent) { setTextFormat(Qt::PlainText); }
    void setCaption(const QString& caption);

Q_SIGNALS:
    // A click of the left button: pressed and released over the label. From the user only.
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

// A popup menu; its items are actions named after the menu items.
class PopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit PopupMenu(QWidget* parent = nullptr) : QMenu(parent) {}
    QAction* addItem(const QString& name, const QString& caption);
    // Opens the menu at the mouse position.
    void popupAtMouse();
    // Opens the menu under the current entry of a list (or at its top left), as the keyboard's
    // menu keys do.
    void popupAtCurrent(QAbstractItemView* list);
};

} // namespace tessaly
