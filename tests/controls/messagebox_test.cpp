#include "controls/qtservices.h"
#include "controls/textbox.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tessaly;

namespace {

// Answers the next modal box from the event loop that its exec() runs.
template <typename Act> void whenBoxShows(Act act)
{
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr) << "no modal box is up";
        act(box);
    });
}

} // namespace

TEST(QtMessageBoxService, ErrorBoxHasItsTextTitleIconButtonsAndDefault)
{
    QtMessageBoxService service;
    QString seenText, seenTitle;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QAbstractButton* defaultButton = nullptr;
    QAbstractButton* abortButton = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    bool onTop = false;
    whenBoxShows([&](QMessageBox* box) {
        seenText = box->text();
        seenTitle = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        defaultButton = box->defaultButton();
        abortButton = box->button(QMessageBox::Abort);
        modality = box->windowModality();
        onTop = box->windowFlags() & Qt::WindowStaysOnTopHint;
        box->button(QMessageBox::Ignore)->click();
    });
    const auto answer = service.runTimeError(QStringLiteral("line one\r\nline two"),
                                             QStringLiteral("Run-time error"));
    EXPECT_EQ(answer, MessageBoxService::Ignore);
    EXPECT_EQ(seenText, QStringLiteral("line one\r\nline two"));
    EXPECT_EQ(seenTitle, QStringLiteral("Run-time error"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    EXPECT_EQ(defaultButton, abortButton);
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_TRUE(onTop);
}

TEST(QtMessageBoxService, EachButtonGivesItsAnswerAndEnterGivesAbort)
{
    QtMessageBoxService service;
    const std::pair<QMessageBox::StandardButton, MessageBoxService::Answer> cases[] = {
        {QMessageBox::Abort, MessageBoxService::Abort},
        {QMessageBox::Retry, MessageBoxService::Retry},
        {QMessageBox::Ignore, MessageBoxService::Ignore}};
    for (auto [button, answer] : cases) {
        whenBoxShows([button = button](QMessageBox* box) { box->button(button)->click(); });
        EXPECT_EQ(service.runTimeError(QStringLiteral("x"), QStringLiteral("t")), answer);
    }
    whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(service.runTimeError(QStringLiteral("x"), QStringLiteral("t")),
              MessageBoxService::Abort);
}

TEST(QtMessageBoxService, ErrorBoxShowsAbortRetryIgnoreAndStaysUntilOneIsPressed)
{
    QtMessageBoxService service;
    QList<int> order;
    bool stayed = false;
    whenBoxShows([&](QMessageBox* box) {
        for (auto button : {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore})
            order.append(box->button(button)->mapTo(box, QPoint(0, 0)).x());
        // Escape and the window's close button would end the program with Abort.
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        QApplication::processEvents();
        stayed = box->isVisible();
        box->button(QMessageBox::Retry)->click();
    });
    EXPECT_EQ(service.runTimeError(QStringLiteral("x"), QStringLiteral("t")),
              MessageBoxService::Retry);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(order.size(), 3);
    EXPECT_LT(order[0], order[1]) << "Abort left of Retry";
    EXPECT_LT(order[1], order[2]) << "Retry left of Ignore";
}

TEST(QtMessageBoxService, ATextBoxTheFocusReturnsToKeepsItsSelection)
{
    QWidget window;
    TextBox box(&window);
    box.setText(QStringLiteral("100000"));
    int gotFocus = 0;
    QObject::connect(&box, &TextBox::GotFocus, [&] {
        ++gotFocus;
        box.selectAll(); // as the position boxes do
    });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box.setFocus();
    box.setSelStart(6); // the caret at the end, nothing selected
    gotFocus = 0;
    QtMessageBoxService service(&window);
    whenBoxShows([](QMessageBox* b) { b->button(QMessageBox::Ignore)->click(); });
    service.runTimeError(QStringLiteral("x"), QStringLiteral("t"));
    window.activateWindow(); // as the window manager does once the box is gone
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.hasFocus(); }));
    EXPECT_EQ(gotFocus, 0);
    EXPECT_FALSE(box.hasSelectedText());
    EXPECT_EQ(box.SelStart(), 6);
    // Any other gain of the focus selects as before.
    box.clearFocus();
    box.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(gotFocus, 1);
}

TEST(QtMessageBoxService, TheBoxShowsTheNormalPointerAndTheWaitCursorComesBack)
{
    QtMessageBoxService service;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool overriddenWhileUp = true;
    whenBoxShows([&](QMessageBox* box) {
        overriddenWhileUp = QApplication::overrideCursor() != nullptr;
        box->button(QMessageBox::Retry)->click();
    });
    service.runTimeError(QStringLiteral("x"), QStringLiteral("t"));
    EXPECT_FALSE(overriddenWhileUp);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
}
