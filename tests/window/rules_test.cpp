#include "windowfixture.h"

#include <QApplication>
#include <QClipboard>

using namespace tessaly;
using namespace tessaly::test;

class RulesTest : public WindowTest {
protected:
    RulesTest() : WindowTest({QStringLiteral("one two.mp3"), QStringLiteral("three.MP3")})
    {
        showFolder();
        activate();
    }
    void type(const char* box, const QString& keys)
    {
        text(box)->setFocus();
        text(box)->end(false);
        QTest::keyClicks(text(box), keys);
    }
    // Counts the previews a piece of work runs: each one hits an overflow in the insert
    // position and is answered with Ignore.
    int previewsOf(const std::function<void()>& work)
    {
        window.box.answerAll(MessageBoxService::Ignore, 10);
        text("txtAft")->setText(QStringLiteral("70000"));
        window.box.errors.clear();
        window.box.answerAll(MessageBoxService::Ignore, 10);
        work();
        const int n = int(window.box.errors.size());
        window.box.answerAll(MessageBoxService::Ignore, 10);
        text("txtAft")->setText(QStringLiteral("0"));
        window.box.errors.clear();
        window.box.answers.clear();
        return n;
    }
};

TEST_F(RulesTest, TypingIntoAFieldTicksItsRule)
{
    const std::pair<const char*, const char*> ticks[] = {
        {"txtWith", "chkRepl"},  {"txtRepl", "chkRepl"}, {"txtWith2", "chkRepl2"},
        {"txtFrom", "chkRepl2"}, {"txtTo", "chkRepl2"},  {"txtAft", "chkAdd"},
        {"txtAdd", "chkAdd"},    {"txtEras", "chkEras"}};
    const char* boxes[] = {"chkRepl", "chkRepl2", "chkEras", "chkAdd",
                           "chkCapi", "chkUp",    "chkLow"};
    for (auto [field, box] : ticks) {
        SCOPED_TRACE(field);
        for (const char* b : boxes)
            check(b)->setValue(0);
        type(field, QStringLiteral("1"));
        for (const char* b : boxes)
            EXPECT_EQ(check(b)->Value(), qstrcmp(b, box) == 0 ? 1 : 0) << b;
        check(box)->setValue(0); // the user clears it; typing ticks it again
        type(field, QStringLiteral("2"));
        EXPECT_EQ(check(box)->Value(), 1);
    }
}

TEST_F(RulesTest, EveryEditAndClickRefreshesThePreview)
{
    type("txtEras", QStringLiteral("o"));
    EXPECT_EQ(lines("lstPreview"), strings({"ne tw.mp3", "three.MP3"}));
    QTest::mouseClick(check("chkAll"), Qt::LeftButton, {}, QPoint(6, 6)); // only the first "o" now
    EXPECT_EQ(lines("lstPreview"), strings({"ne two.mp3", "three.MP3"}));
    EXPECT_EQ(check("chkRepl")->Value(), 0) << "Replace all ticks nothing else";
    EXPECT_EQ(check("chkCapi")->Value(), 0);
    QTest::mouseClick(check("chkEras"), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(lines("lstPreview"), strings({"one two.mp3", "three.MP3"}));
    QTest::mouseClick(check("chkUp"), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(lines("lstPreview"), strings({"one two.MP3", "three.MP3"}));
    type("txtAdd", QStringLiteral("!"));
    EXPECT_EQ(lines("lstPreview"), strings({"!one two.MP3", "!three.MP3"}));
}

TEST_F(RulesTest, ATickRaisesItsOwnPreviewBeforeTheFieldsPreview)
{
    EXPECT_EQ(previewsOf([&] { type("txtRepl", QStringLiteral("x")); }), 2);
    EXPECT_EQ(previewsOf([&] { type("txtRepl", QStringLiteral("y")); }), 1) << "already ticked";
    EXPECT_EQ(previewsOf([&] { check("chkCapi")->setValue(1); }), 1);
    EXPECT_EQ(previewsOf([&] { check("chkCapi")->setValue(1); }), 0) << "no change, no click";
}

TEST_F(RulesTest, PositionFieldsKeepANumberInNormalForm)
{
    const std::pair<const char*, const char*> forms[] = {
        {"12a", "12"}, {"abc", "0"},    {" 7", "7"}, {"007", "7"},     {"-5", "-5"},
        {"1 2", "12"}, {"1e3", "1000"}, {"", "0"},   {"1e5", "100000"}};
    for (const char* field : {"txtFrom", "txtTo", "txtAft"}) {
        for (auto [in, out] : forms) {
            text(field)->setText(QString::fromUtf8(in));
            EXPECT_EQ(text(field)->Text(), QString::fromUtf8(out)) << field << " " << in;
            EXPECT_EQ(text(field)->SelStart(), int(strlen(out)));
            EXPECT_EQ(text(field)->SelLength(), 0);
        }
        window.box.answerAll(MessageBoxService::Ignore, 10);
        text(field)->setText(QStringLiteral("1"));
    }
}

TEST_F(RulesTest, TypingIntoAPositionFieldReplacesTheSelectedNumber)
{
    text("txtEras")->setFocus();
    QTest::keyClick(text("txtEras"), Qt::Key_Tab); // on to txtAdd, then txtAft
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), text("txtAft"));
    EXPECT_EQ(text("txtAft")->SelLength(), 1);
    QTest::keyClicks(text("txtAft"), QStringLiteral("7"));
    EXPECT_EQ(text("txtAft")->Text(), QStringLiteral("7"));
    QTest::keyClicks(text("txtAft"), QStringLiteral("x")); // not part of a number: vanishes
    EXPECT_EQ(text("txtAft")->Text(), QStringLiteral("7"));
    QTest::keyClick(text("txtAft"), Qt::Key_Backspace);
    EXPECT_EQ(text("txtAft")->Text(), QStringLiteral("0")) << "an emptied box shows 0";
    EXPECT_EQ(text("txtAft")->SelStart(), 1);
}

TEST_F(RulesTest, AClickThatBringsTheFocusSelectsThePositionAndALaterClickPlacesTheCaret)
{
    // Real presses through the window, as the window system delivers them.
    QWindow* handle = form()->windowHandle();
    const auto click = [&](const char* box, int x) { // x < 0 counts from the right edge
        TextBox* t = text(box);
        const QPoint at(x < 0 ? t->width() + x : x, t->height() / 2);
        QTest::mouseClick(handle, Qt::LeftButton, {}, t->mapTo(form(), at));
    };
    for (const char* box : {"txtFrom", "txtTo", "txtAft"}) {
        SCOPED_TRACE(box);
        window.box.answerAll(MessageBoxService::Ignore, 10);
        text(box)->setText(QStringLiteral("1"));
        for (int x : {3, -3}) { // on the number, and behind it
            click("txtEras", 5);
            click(box, x);
            ASSERT_EQ(QApplication::focusWidget(), text(box));
            QTest::keyClicks(text(box), QStringLiteral("7"));
            EXPECT_EQ(text(box)->Text(), QStringLiteral("7"));
            text(box)->setText(QStringLiteral("1"));
        }
        click(box, 3); // the box has the focus already: the caret goes where the mouse is
        EXPECT_EQ(text(box)->SelLength(), 0);
        EXPECT_EQ(text(box)->SelStart(), 0);
    }

    // Back from another window of the program (a message box, say): the click into the box
    // activates the window, which gives the focus back to the box, and the press follows.
    QWidget other;
    const auto leaveAndComeBack = [&] {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        form()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form()));
    };
    leaveAndComeBack();
    click("txtAft", -3);
    ASSERT_EQ(QApplication::focusWidget(), text("txtAft"));
    QTest::keyClicks(text("txtAft"), QStringLiteral("8"));
    EXPECT_EQ(text("txtAft")->Text(), QStringLiteral("8"));
    // Back by the keyboard: a click a while later places the caret.
    leaveAndComeBack();
    QTest::qWait(TextBox::FocusClickMs + 50);
    click("txtAft", 3);
    EXPECT_EQ(text("txtAft")->SelLength(), 0) << "a later click is no gain of focus";
}

TEST_F(RulesTest, TheTypedLimitHoldsWhileALongerProgramTextStands)
{
    window.box.answerAll(MessageBoxService::Ignore, 10);
    QGuiApplication::clipboard()->setText(QStringLiteral("1e5"));
    text("txtFrom")->setFocus();
    text("txtFrom")->selectAll();
    text("txtFrom")->paste();
    EXPECT_EQ(text("txtFrom")->Text(), QStringLiteral("100000"))
        << "a pasted 1e5 is stored in full";
    text("txtFrom")->end(false);
    QTest::keyClicks(text("txtFrom"), QStringLiteral("1"));
    EXPECT_EQ(text("txtFrom")->Text(), QStringLiteral("100000"))
        << "a fourth typed character is refused";
}

TEST_F(RulesTest, AClickOnARulesCaptionIsAClickOnItsBox)
{
    const std::pair<const char*, const char*> captions[] = {
        {"Label8", "chkRepl2"}, {"Label2", "chkRepl"}, {"Label1", "chkEras"},
        {"Label3", "chkAdd"},   {"Label7", "chkCapi"}, {"Label13", "chkUp"},
        {"Label14", "chkLow"},  {"Label15", "chkAll"}};
    QWidget* focus = text("txtEras");
    focus->setFocus();
    for (const auto& [label, box] : captions) {
        auto* caption = get<QLabel>(label);
        const int before = check(box)->Value();
        const QPoint at = caption->mapTo(form(), caption->rect().center());
        QTest::mouseClick(form()->windowHandle(), Qt::LeftButton, {}, at);
        EXPECT_EQ(check(box)->Value(), 1 - before) << label;
        EXPECT_EQ(QApplication::focusWidget(), focus) << label << " takes no focus";
    }
    // The preview followed: the first character replaced by nothing (positions 1 to 1),
    // capitals, the suffix upper-cased and then lower-cased.
    EXPECT_EQ(lines("lstPreview"), strings({"Ne Two.mp3", "Hree.mp3"}));
    // Other labels stay what they were.
    const QPoint to = get<QLabel>("Label4")->mapTo(form(), get<QLabel>("Label4")->rect().center());
    QTest::mouseClick(form()->windowHandle(), Qt::LeftButton, {}, to);
    EXPECT_EQ(check("chkRepl2")->Value(), 1);
}
