#include "controls/drivelist.h"
#include "controls/droppoint.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "windowfixture.h"

#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMenuBar>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;

namespace {

enum class Kind { Check, Text, Button, FileList, ListBox, DriveList, FolderList, Label, DropPoint };

struct Row {
    const char* name;
    Kind kind;
    int x, y, w, h;
    const char* text; // caption or initial text; nullptr where the control has none
};

// The design, in tab order.
const Row design[] = {
    {"chkRepl2", Kind::Check, 0, 8, 17, 13, "Check1"},
    {"txtFrom", Kind::Text, 136, 8, 33, 19, "1"},
    {"txtTo", Kind::Text, 192, 8, 33, 19, "1"},
    {"txtWith2", Kind::Text, 320, 8, 121, 19, ""},
    {"txtRepl", Kind::Text, 80, 32, 209, 19, ""},
    {"txtWith", Kind::Text, 320, 32, 121, 19, ""},
    {"txtEras", Kind::Text, 80, 56, 209, 19, ""},
    {"txtAdd", Kind::Text, 80, 80, 209, 19, ""},
    {"txtAft", Kind::Text, 376, 80, 33, 19, "0"},
    {"txtFilter", Kind::Text, 336, 104, 73, 19, "*.mp3"},
    {"cmdRefresh_2", Kind::Button, 416, 88, 113, 25, "&REFRESH"},
    {"cmdGo_0", Kind::Button, 416, 120, 113, 25, "&PROCEED"},
    {"txtDir", Kind::Text, 48, 152, 481, 19, nullptr},
    {"txtEx", Kind::Text, 48, 176, 481, 19, nullptr},
    {"flFile", Kind::FileList, 0, 328, 265, 227, nullptr},
    {"lstChoice", Kind::ListBox, 265, 328, 264, 225, nullptr},
    {"drvDrive", Kind::DriveList, 536, 8, 257, 21, nullptr},
    {"dirDir", Kind::FolderList, 536, 32, 257, 156, nullptr},
    {"lstResult", Kind::ListBox, 0, 200, 793, 109, nullptr},
    {"chkRepl", Kind::Check, 0, 32, 17, 13, "Check1"},
    {"chkEras", Kind::Check, 0, 56, 17, 13, "Check1"},
    {"chkAll", Kind::Check, 296, 56, 17, 13, "Check1"},
    {"chkAdd", Kind::Check, 0, 80, 17, 13, "Check1"},
    {"chkCapi", Kind::Check, 0, 104, 17, 13, "Check1"},
    {"chkUp", Kind::Check, 0, 128, 17, 13, "Check1"},
    {"chkLow", Kind::Check, 168, 128, 17, 13, "Check1"},
    {"cmdGo_1", Kind::Button, 416, 152, 113, 25, "P&REVIEW"},
    {"lstPreview", Kind::ListBox, 529, 328, 264, 225, nullptr},
    {"Label1", Kind::Label, 24, 56, 57, 17, "Erase $"},
    {"Label2", Kind::Label, 24, 32, 57, 17, "Replace $"},
    {"Label4", Kind::Label, 296, 104, 33, 17, "Filter"},
    {"Label6", Kind::Label, 296, 32, 25, 17, "with"},
    {"Label8", Kind::Label, 24, 8, 113, 17, "Replace chars from Nr."},
    {"Label9", Kind::Label, 176, 8, 17, 17, "to"},
    {"Label10", Kind::Label, 296, 8, 25, 17, "with"},
    {"Label11", Kind::Label, 0, 152, 49, 17, "Directory"},
    {"Label12", Kind::Label, 0, 176, 49, 17, "File E.G."},
    {"Label3", Kind::Label, 24, 80, 57, 17, "Add $"},
    {"Label5", Kind::Label, 296, 80, 73, 17, "after Char Nr."},
    {"Label7", Kind::Label, 24, 104, 161, 17, "Capitalize First Letters"},
    {"Label13", Kind::Label, 24, 128, 105, 17, "Uppercase .SUFFIX"},
    {"Label14", Kind::Label, 192, 128, 97, 17, "Lowercase .suffix"},
    {"Label15", Kind::Label, 320, 56, 57, 17, "Replace all"},
    {"Label16", Kind::Label, 0, 312, 137, 17, "Files (suitable for mask filter)"},
    {"Label17", Kind::Label, 264, 312, 121, 17, "Files chosen for rename"},
    {"Label18", Kind::Label, 528, 312, 57, 17, "Preview"},
    {"picDragDrop", Kind::DropPoint, 448, 32, 81, 49, nullptr},
    {"Label19", Kind::Label, 448, 8, 81, 17, "Drag & Drop Dir"},
};

bool hasKind(QWidget* w, Kind k)
{
    switch (k) {
    case Kind::Check:
        return qobject_cast<CheckBox*>(w);
    case Kind::Text:
        return qobject_cast<TextBox*>(w);
    case Kind::Button:
        return qobject_cast<CommandButton*>(w);
    case Kind::FileList:
        return qobject_cast<FileList*>(w);
    case Kind::ListBox:
        return qobject_cast<ListBox*>(w);
    case Kind::DriveList:
        return qobject_cast<DriveList*>(w);
    case Kind::FolderList:
        return qobject_cast<FolderList*>(w);
    case Kind::Label:
        return qobject_cast<Label*>(w);
    case Kind::DropPoint:
        return qobject_cast<DropPoint*>(w);
    }
    return false;
}

QString textOf(QWidget* w)
{
    if (auto* t = qobject_cast<TextBox*>(w))
        return t->Text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<Label*>(w))
        return l->text();
    return {};
}

} // namespace

class LayoutTest : public WindowTest {};

TEST_F(LayoutTest, EveryControlHasItsKindPlaceAndText)
{
    for (const Row& r : design) {
        SCOPED_TRACE(r.name);
        auto* w = get<QWidget>(r.name);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(hasKind(w, r.kind));
        EXPECT_EQ(w->geometry(), QRect(r.x, r.y, r.w, r.h));
        EXPECT_EQ(w->parentWidget(), form());
        if (r.text) {
            EXPECT_EQ(textOf(w), QString::fromUtf8(r.text));
        }
    }
}

TEST_F(LayoutTest, WindowHasItsCaptionAndClientSizeAndNoMenuBar)
{
    EXPECT_EQ(form()->windowTitle(),
              QStringLiteral("Tessaly 2.4c - correction tool for [MP3's] filenames by Torvenal"));
    EXPECT_EQ(form()->size(), QSize(794, 553));
    EXPECT_TRUE(form()->findChildren<QMenuBar*>().isEmpty());
}

TEST_F(LayoutTest, ControlsStayPutWhenTheWindowIsResized)
{
    form()->resize(1200, 900);
    QTest::qWait(0);
    for (const Row& r : design)
        EXPECT_EQ(get<QWidget>(r.name)->geometry(), QRect(r.x, r.y, r.w, r.h)) << r.name;
    form()->resize(300, 200);
    EXPECT_EQ(get<QWidget>("lstPreview")->geometry(), QRect(529, 328, 264, 225));
}

// Several labels reach one pixel into the box beside them. A click on that edge goes to the box,
// not to the label, whose click would tick or clear a rule.
TEST_F(LayoutTest, ClicksOnAControlsEdgeReachItAndNotALabelAbove)
{
    for (const Row& r : design) {
        QWidget* w = get<QWidget>(r.name);
        if (r.kind == Kind::Label || !w->isVisible())
            continue;
        for (int x = r.x; x < r.x + r.w; ++x)
            for (int y : {r.y, r.y + r.h / 2, std::min(r.y + r.h, form()->height()) - 1}) {
                QWidget* hit = form()->childAt(x, y);
                ASSERT_TRUE(hit == w || w->isAncestorOf(hit))
                    << r.name << " at " << x << ',' << y << " gives "
                    << (hit ? hit->objectName().toStdString() : "nothing");
            }
    }
}

TEST_F(LayoutTest, TabOrderFollowsTheDesign)
{
    // Walk the focus chain from the first control: the focusable controls come in design order.
    QStringList expected;
    for (const Row& r : design) {
        QWidget* w = get<QWidget>(r.name);
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(form()))
            expected.append(QString::fromLatin1(r.name));
    }
    QStringList chain;
    QWidget* w = get<QWidget>("chkRepl2");
    for (int i = 0; i < expected.size(); ++i) {
        chain.append(w->objectName());
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(form()) ||
               w->objectName().isEmpty());
    }
    EXPECT_EQ(chain, expected);
    EXPECT_GE(expected.size(), 20);
}

TEST_F(LayoutTest, SettingsOfTheControls)
{
    EXPECT_FALSE(get<QWidget>("cmdGo_1")->isVisible());
    EXPECT_TRUE(get<QWidget>("cmdGo_0")->isVisible());
    EXPECT_TRUE(get<TextBox>("txtDir")->isReadOnly());
    EXPECT_TRUE(get<TextBox>("txtEx")->isReadOnly());
    EXPECT_FALSE(get<TextBox>("txtEras")->isReadOnly());
    for (const char* n : {"txtFrom", "txtTo", "txtAft"})
        EXPECT_EQ(get<TextBox>(n)->typedLimit(), 3) << n;
    EXPECT_EQ(get<TextBox>("txtRepl")->typedLimit(), 0);
    EXPECT_EQ(get<ListBox>("lstChoice")->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(get<ListBox>("lstPreview")->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(get<ListBox>("lstResult")->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(get<QWidget>("lstChoice")->toolTip(), QStringLiteral("Files chosen for rename"));
    EXPECT_EQ(get<QWidget>("lstResult")->toolTip(), QStringLiteral("Result"));
    EXPECT_EQ(get<QWidget>("lstPreview")->toolTip(), QStringLiteral("Preview"));
    EXPECT_EQ(get<QWidget>("picDragDrop")->toolTip(),
              QStringLiteral("Drag & Drop Directory Point"));
    EXPECT_EQ(get<QWidget>("picDragDrop")->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(get<CheckBox>("chkAll")->Value(), 1);
    for (const char* n : {"chkRepl2", "chkRepl", "chkEras", "chkAdd", "chkCapi", "chkUp", "chkLow"})
        EXPECT_EQ(get<CheckBox>(n)->Value(), 0) << n;
}

TEST_F(LayoutTest, FieldsUseAFixedPitchFaceAndButtonsASansSerifOne)
{
    for (const char* n : {"txtFrom", "txtRepl", "txtFilter", "txtDir", "lstResult"}) {
        const QFontMetrics m(get<QWidget>(n)->font());
        EXPECT_EQ(m.horizontalAdvance(QStringLiteral("iiii")),
                  m.horizontalAdvance(QStringLiteral("WWWW")))
            << n;
        EXPECT_EQ(get<QWidget>(n)->font().pointSize(), 9) << n;
    }
    for (const char* n : {"cmdGo_0", "cmdRefresh_2"}) {
        const QFontMetrics m(get<QWidget>(n)->font());
        EXPECT_LT(m.horizontalAdvance(QStringLiteral("iiii")),
                  m.horizontalAdvance(QStringLiteral("WWWW")))
            << n;
        EXPECT_EQ(get<QWidget>(n)->font().pointSize(), 9) << n;
    }
}

TEST_F(LayoutTest, PopupMenuHasItsThreeItems)
{
    auto* menu = get<PopupMenu>("mnuPopUplstChoice");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("mnuPopUplstChoice"));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 3);
    const std::pair<const char*, const char*> expected[] = {
        {"mnuPopUplstChoiceDel", "Delete sel.    Del"},
        {"mnuPopUplstChoiceCrop", "Crop sel.      Space"},
        {"mnuPopUplstChoiceCopy", "Copy sel."}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i]->objectName(), QString::fromLatin1(expected[i].first));
        EXPECT_EQ(items[i]->text(), QString::fromLatin1(expected[i].second));
        EXPECT_TRUE(items[i]->isEnabled());
        EXPECT_FALSE(items[i]->isChecked());
        EXPECT_TRUE(items[i]->shortcut().isEmpty());
    }
    EXPECT_FALSE(menu->isVisible());
}
