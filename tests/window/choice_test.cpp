#include "windowfixture.h"

#include <QAction>
#include <QMenu>

using namespace tessaly;
using namespace tessaly::test;

class ChoiceTest : public WindowTest {
protected:
    ChoiceTest()
        : WindowTest({QStringLiteral("1.mp3"), QStringLiteral("2.mp3"), QStringLiteral("3.mp3"),
                      QStringLiteral("4.mp3"), QStringLiteral("5.mp3")})
    {
        showFolder();
        check("chkUp")->setValue(1);
        refresh(); // empties the preview
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(list("lstChoice"), k, m); }
    std::vector<bool> selected() const { return list("lstChoice")->selectedFlags(); }
    QAction* item(const char* name) const { return get<QAction>(name); }
};

TEST_F(ChoiceTest, DeleteRemovesEverySelectedEntryAndPreviews)
{
    select({1, 2, 4});
    key(Qt::Key_Delete);
    EXPECT_EQ(lines("lstChoice"), strings({"1.mp3", "4.mp3"}));
    EXPECT_EQ(lines("lstPreview"), strings({"1.MP3", "4.MP3"}));
}

TEST_F(ChoiceTest, DeleteWithNothingSelectedStillPreviews)
{
    ASSERT_TRUE(lines("lstPreview").isEmpty());
    key(Qt::Key_Delete);
    EXPECT_EQ(lines("lstChoice").size(), 5);
    EXPECT_EQ(lines("lstPreview").size(), 5);
}

TEST_F(ChoiceTest, DeleteWithEverythingSelectedEmptiesTheList)
{
    select({0, 1, 2, 3, 4});
    item("mnuPopUplstChoiceDel")->trigger();
    EXPECT_TRUE(lines("lstChoice").isEmpty());
    EXPECT_TRUE(lines("lstPreview").isEmpty());
}

TEST_F(ChoiceTest, CropKeepsTheSelectedEntriesStillSelected)
{
    select({0, 3});
    key(Qt::Key_Space);
    EXPECT_EQ(lines("lstChoice"), strings({"1.mp3", "4.mp3"}));
    EXPECT_EQ(selected(), (std::vector<bool>{true, true}));
    EXPECT_EQ(lines("lstPreview"), strings({"1.MP3", "4.MP3"}));
}

TEST_F(ChoiceTest, CropWithNothingSelectedEmptiesTheListAndAllSelectedKeepsIt)
{
    select({0, 1, 2, 3, 4});
    item("mnuPopUplstChoiceCrop")->trigger();
    EXPECT_EQ(lines("lstChoice").size(), 5);
    EXPECT_EQ(lines("lstPreview").size(), 5);
    list("lstChoice")->clearSelection();
    item("mnuPopUplstChoiceCrop")->trigger();
    EXPECT_TRUE(lines("lstChoice").isEmpty());
}

TEST_F(ChoiceTest, KeysWorkWhateverTheShiftState)
{
    select({0});
    key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(lines("lstChoice").size(), 4);
    select({0});
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(lines("lstChoice").size(), 3);
    select({0, 1});
    key(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(lines("lstChoice"), strings({"3.mp3", "4.mp3"}));
    select({0});
    key(Qt::Key_Backspace);
    key(Qt::Key_X);
    EXPECT_EQ(lines("lstChoice"), strings({"3.mp3", "4.mp3"}));
}

TEST_F(ChoiceTest, TheRightButtonOpensTheMenuAndTheOthersDoNot)
{
    auto* menu = get<QMenu>("mnuPopUplstChoice");
    auto* viewport = list("lstChoice")->viewport();
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::MiddleButton}) {
        QTest::mouseClick(viewport, b, {}, QPoint(10, 5));
        EXPECT_FALSE(menu->isVisible()) << b;
    }
    select({1, 2});
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, true, false, false}));
    menu->hide();
}

TEST_F(ChoiceTest, CopyPutsTheSelectedNamesOnTheClipboard)
{
    item("mnuPopUplstChoiceCopy")->trigger();
    EXPECT_EQ(window.clipboard.content, QStringLiteral("(untouched)")) << "nothing selected";
    EXPECT_EQ(window.clipboard.clears, 0);
    select({2});
    item("mnuPopUplstChoiceCopy")->trigger();
    EXPECT_EQ(window.clipboard.content, QStringLiteral("3.mp3"));
    select({4, 0, 2});
    item("mnuPopUplstChoiceCopy")->trigger();
    EXPECT_EQ(window.clipboard.content, QStringLiteral("1.mp3\r\n3.mp3\r\n5.mp3"));
    EXPECT_EQ(lines("lstChoice").size(), 5) << "Copy changes neither list";
    EXPECT_TRUE(lines("lstPreview").isEmpty());
}
