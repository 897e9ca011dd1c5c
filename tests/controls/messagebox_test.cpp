#include "controls/qtservices.h"
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
    whenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(service.runTimeError(QStringLiteral("x"), QStringLiteral("t")),
              MessageBoxService::Abort);
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
