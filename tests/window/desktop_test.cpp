// The window as a desktop user and a screen reader meet it: keys, focus, names, icon, cursor.
#include "windowfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// The controls the Tab key stops at, in order: the design's order without the labels, the
// drop point and the hidden button.
const char* const tabStops[] = {
    "chkRepl2", "txtFrom",   "txtTo",     "txtWith2",     "txtRepl",   "txtWith",   "txtEras",
    "txtAdd",   "txtAft",    "txtFilter", "cmdRefresh_2", "cmdGo_0",   "txtDir",    "txtEx",
    "flFile",   "lstChoice", "drvDrive",  "dirDir",       "lstResult", "chkRepl",   "chkEras",
    "chkAll",   "chkAdd",    "chkCapi",   "chkUp",        "chkLow",    "lstPreview"};

QString accessibleName(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

} // namespace

class DesktopTest : public WindowTest {
protected:
    DesktopTest() : WindowTest({QStringLiteral("a.mp3"), QStringLiteral("Album/b.mp3")})
    {
        fs.extraVolumes = {{card.path(), QStringLiteral("CARD")}};
        fs.beforeRead = [this] {
            const QCursor* c = QGuiApplication::overrideCursor();
            waitCursorAtRead.append(c && c->shape() == Qt::WaitCursor);
        };
        drives()->Refresh();
        showFolder();
        activate();
    }
    QString focused() const
    {
        QWidget* f = QApplication::focusWidget();
        return f ? f->objectName() : QStringLiteral("(none)");
    }

    TempFolder card;
    QList<bool> waitCursorAtRead; // for every folder read, whether the wait cursor was up
};

TEST_F(DesktopTest, FocusStartsInTheEraseField)
{
    EXPECT_EQ(focused(), QStringLiteral("txtEras"));
}

TEST_F(DesktopTest, AltLettersPressTheirButtonsAndTheHiddenOneNever)
{
    auto* refresh = get<CommandButton>("cmdRefresh_2");
    auto* proceed = get<CommandButton>("cmdGo_0");
    auto* preview = get<CommandButton>("cmdGo_1");
    struct Case {
        Qt::Key key;
        CommandButton* pressed;
    };
    const Case cases[] = {{Qt::Key_R, refresh}, {Qt::Key_P, proceed}};
    for (const char* from : {"txtEras", "txtFrom", "lstChoice", "drvDrive", "chkAll"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(from) + " Alt+" +
                         QKeySequence(c.key).toString().toStdString());
            auto* start = get<QWidget>(from);
            start->setFocus(Qt::OtherFocusReason);
            QSignalSpy refreshed(refresh, &CommandButton::Click);
            QSignalSpy proceeded(proceed, &CommandButton::Click);
            QSignalSpy previewed(preview, &CommandButton::Click);
            QTest::keyClick(start, c.key, Qt::AltModifier);
            // A mnemonic "animates" the click: the button emits it when its press has shown,
            // about 100 ms later.
            QSignalSpy& expected = c.pressed == refresh ? refreshed : proceeded;
            EXPECT_TRUE(QTest::qWaitFor([&] { return expected.count() == 1; }, 2000));
            QTest::qWait(150); // room for a wrong second click
            EXPECT_EQ(refreshed.count() + proceeded.count(), 1);
            EXPECT_EQ(previewed.count(), 0);
            if (!expected.isEmpty()) {
                EXPECT_EQ(expected.at(0).at(0).toInt(), c.pressed->index());
            }
        }
    }
    EXPECT_EQ(get<TextBox>("txtEras")->Text(), QString()) << "a mnemonic is not typed";
    EXPECT_EQ(get<TextBox>("txtFrom")->Text(), QStringLiteral("1"));
}

TEST_F(DesktopTest, TabAndShiftTabWalkTheDesignOrderRoundTheWindow)
{
    QStringList expected;
    for (const char* n : tabStops)
        expected.append(QString::fromLatin1(n));
    const auto walk = [&](Qt::KeyboardModifiers modifiers) {
        get<QWidget>("chkRepl2")->setFocus(Qt::OtherFocusReason);
        QStringList seen{focused()};
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
            seen.append(focused());
        }
        return seen;
    };
    QStringList forward = expected;
    forward.append(expected.first()); // from the last stop Tab goes round to the first
    EXPECT_EQ(walk(Qt::NoModifier), forward);

    QStringList backward{expected.first()};
    for (qsizetype i = expected.size() - 1; i >= 0; --i)
        backward.append(expected[i]);
    EXPECT_EQ(walk(Qt::ShiftModifier), backward);
}

TEST_F(DesktopTest, EveryControlHasAnAccessibleNameAndTheFocusableOnesDiffer)
{
    const std::pair<const char*, const char*> names[] = {
        {"chkRepl2", "Replace chars from Nr."},
        {"txtFrom", "Replace chars from Nr."},
        {"txtTo", "to Nr."},
        {"txtWith2", "Replace chars with"},
        {"txtRepl", "Replace $"},
        {"txtWith", "Replace $ with"},
        {"txtEras", "Erase $"},
        {"txtAdd", "Add $"},
        {"txtAft", "after Char Nr."},
        {"txtFilter", "Filter"},
        {"cmdRefresh_2", "REFRESH"},
        {"cmdGo_0", "PROCEED"},
        {"txtDir", "Directory"},
        {"txtEx", "File E.G."},
        {"flFile", "Files (suitable for mask filter)"},
        {"lstChoice", "Files chosen for rename"},
        {"dirDir", "Folder"},
        {"lstResult", "Result"},
        {"chkRepl", "Replace $"},
        {"chkEras", "Erase $"},
        {"chkAll", "Replace all"},
        {"chkAdd", "Add $"},
        {"chkCapi", "Capitalize First Letters"},
        {"chkUp", "Uppercase .SUFFIX"},
        {"chkLow", "Lowercase .suffix"},
        {"cmdGo_1", "PREVIEW"},
        {"lstPreview", "Preview"},
        {"picDragDrop", "Drag & Drop Directory Point"},
        {"Label19", "Drag & Drop Dir"},
        {"Label16", "Files (suitable for mask filter)"},
    };
    for (auto [control, name] : names)
        EXPECT_EQ(accessibleName(get<QWidget>(control)), QString::fromUtf8(name)) << control;
    // On Linux a combo box is named by its current entry; the description says what it is.
    auto* drives = get<DriveList>("drvDrive");
    EXPECT_EQ(accessibleName(drives), drives->Drive());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(drives)->text(QAccessible::Description),
              QStringLiteral("Drive"));

    // Every control, labels included, says something; a check box and its field differ by
    // their roles, so among the controls of one role no two names are the same.
    QHash<QAccessible::Role, QStringList> byRole;
    for (QWidget* w : form()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->objectName().isEmpty() || qobject_cast<QMenu*>(w))
            continue; // the popup menu is a window of its own, named by its items
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_FALSE(accessibleName(w).isEmpty());
        if (w->focusPolicy() & Qt::TabFocus) {
            const QAccessible::Role role = QAccessible::queryAccessibleInterface(w)->role();
            EXPECT_FALSE(byRole[role].contains(accessibleName(w)));
            byRole[role].append(accessibleName(w));
        }
    }
    EXPECT_EQ(byRole[QAccessible::CheckBox].size(), 8);
}

TEST_F(DesktopTest, WindowCarriesTheIconInEverySize)
{
    const QIcon icon = form()->windowIcon();
    for (int size : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    // A white window with a cyan title bar.
    const QImage image = icon.pixmap(QSize(64, 64)).toImage();
    const QColor title = image.pixelColor(20, 16);
    const QColor client = image.pixelColor(20, 48);
    EXPECT_LT(title.red(), 60);
    EXPECT_GT(title.green(), 150);
    EXPECT_GT(title.blue(), 180);
    EXPECT_EQ(client, QColor(Qt::white));
}

TEST_F(DesktopTest, FolderReadsShowTheWaitCursorAndRestoreItAfterwards)
{
    const QString album = folder.pathOf(QStringLiteral("Album"));
    struct Case {
        const char* what;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"open a folder in the folder list", [&] { openEntry(album); }},
        {"REFRESH", [&] { refresh(); }},
        {"type a mask", [&] { QTest::keyClicks(get<QWidget>("txtFilter"), "x"); }},
        {"pick a drive", [&] { drives()->setDrive(card.path()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        waitCursorAtRead.clear();
        c.act();
        EXPECT_FALSE(waitCursorAtRead.isEmpty());
        EXPECT_FALSE(waitCursorAtRead.contains(false));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(DesktopTest, AFailedReadRestoresTheCursorBeforeTheWarning)
{
    const QString album = folder.pathOf(QStringLiteral("Album"));
    fs.unreadable.insert(album, 70);
    for (const char* how : {"folder list", "REFRESH"}) {
        SCOPED_TRACE(how);
        waitCursorAtRead.clear();
        const qsizetype warningsBefore = window.box.warnings.size();
        if (QByteArray(how) == "REFRESH") {
            showFolder();
            fs.unreadable.insert(folder.path(), 70);
            refresh();
            fs.unreadable.remove(folder.path());
        } else {
            openEntry(album);
        }
        EXPECT_EQ(window.box.warnings.size(), warningsBefore + 1);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(waitCursorAtRead.contains(false)) << "the recovery reads show it too";
    }
}

TEST_F(DesktopTest, CaptionsAndFieldTextFitTheirControls)
{
    for (QWidget* w : form()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        SCOPED_TRACE(w->objectName().toStdString());
        const QFontMetrics m(w->font());
        if (auto* l = qobject_cast<Label*>(w)) {
            EXPECT_LE(m.horizontalAdvance(l->text()), l->width());
            EXPECT_LE(m.height(), l->height());
        } else if (auto* b = qobject_cast<CommandButton*>(w)) {
            EXPECT_LE(m.horizontalAdvance(b->text().remove(u'&')) + 8, b->width());
            EXPECT_LE(m.height() + 4, b->height());
        } else if (qobject_cast<TextBox*>(w)) {
            EXPECT_LE(m.height() + 4, w->height()) << "frame and text in 19 pixels";
        }
    }
    // The position boxes show their three characters, the mask box a usual mask.
    for (const char* n : {"txtFrom", "txtTo", "txtAft"}) {
        auto* t = get<TextBox>(n);
        EXPECT_LE(QFontMetrics(t->font()).horizontalAdvance(QStringLiteral("000")) + 6, t->width())
            << n;
    }
}

TEST_F(DesktopTest, TheWindowIsAFrameAndMarkedPreviewLinesSayWhy)
{
    // Qt's own interface for a plain top-level widget is a client area (AT-SPI's "filler").
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form());
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), form()->windowTitle());

    for (const char* name : {"a.mp3", "b.mp3", "ba.mp3"})
        folder.file(QStringLiteral("Marks/") + QString::fromUtf8(name));
    showFolder(QStringLiteral("Marks"));
    text("txtEras")->setText(QStringLiteral("a"));
    QAccessibleInterface* preview = QAccessible::queryAccessibleInterface(list("lstPreview"));
    ASSERT_EQ(preview->childCount(), 3);
    const std::pair<const char*, const char*> rows[] = {
        {".mp3", "Note: The file will be hidden: its name begins with a dot"},
        {"b.mp3", ""}, // left alone, greyed only
        {"b.mp3", "Would fail: A file named \"b.mp3\" already exists"},
    };
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(preview->child(row)->text(QAccessible::Name), QString::fromUtf8(rows[row].first));
        EXPECT_EQ(preview->child(row)->text(QAccessible::Description),
                  QString::fromUtf8(rows[row].second));
    }
}

namespace {

// The tooltip that pointing at a row shows: its own or the list's; empty for none.
QString toolTipAt(QAbstractItemView* view, int row)
{
    const QPoint at(4, view->visualRect(view->model()->index(row, 0)).center().y());
    QHelpEvent event(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
    return event.isAccepted() ? QToolTip::text() : QString();
}

} // namespace

TEST_F(DesktopTest, RowsCutOffAtTheEdgeShowTheirWholeTextAsTheirTooltip)
{
    const QString longName = QString(60, u'x') + QStringLiteral(".mp3");
    for (const QString& name : {QStringLiteral("a.mp3"), longName})
        folder.file(QStringLiteral("Long/") + name);
    showFolder(QStringLiteral("Long"));
    text("txtFrom")->setText(QStringLiteral("5"));
    text("txtTo")->setText(QStringLiteral("3"));
    check("chkRepl2")->setValue(1);
    check("chkUp")->setValue(1); // every line renamed, with a notice for its positions
    const QString notice = QStringLiteral("Position range 5 to 3 does not fit this name");
    struct Case {
        const char* list;
        int row;
        QString tip;
    };
    const Case cases[] = {
        {"flFile", 0, {}},
        {"flFile", 1, longName},
        {"lstChoice", 0, QStringLiteral("Files chosen for rename")}, // the list's own
        {"lstChoice", 1, longName},
        {"lstPreview", 0, notice},
        {"lstPreview", 1, QString(60, u'x') + QStringLiteral(".MP3\n") + notice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " row " + std::to_string(c.row));
        EXPECT_EQ(toolTipAt(get<QAbstractItemView>(c.list), c.row), c.tip);
    }
    // Scrolled to the right, the start of a row that fits is out of view.
    auto* choice = list("lstChoice");
    choice->horizontalScrollBar()->setValue(choice->horizontalScrollBar()->maximum());
    EXPECT_EQ(toolTipAt(choice, 0), QStringLiteral("a.mp3"));

    proceed();
    ASSERT_EQ(list("lstResult")->ListCount(), 4); // a position line, then a rename, per file
    EXPECT_EQ(toolTipAt(list("lstResult"), 1), QStringLiteral("Result"));
    EXPECT_EQ(toolTipAt(list("lstResult"), 3), list("lstResult")->List(3));
}

TEST_F(DesktopTest, ChosenFilesAndTheirPreviewScrollTogetherButSelectApart)
{
    for (int i = 0; i < 200; ++i)
        folder.file(QStringLiteral("Many/%1.mp3").arg(i, 3, 10, QChar(u'0')));
    showFolder(QStringLiteral("Many"));
    text("txtEras")->setText(QStringLiteral("0"));
    ListBox* choice = list("lstChoice");
    ListBox* preview = list("lstPreview");
    const auto firstRows = [&] {
        QCoreApplication::processEvents(); // lists lay out their rows anew after a refill
        return std::pair(choice->indexAt(QPoint(1, 1)).row(), preview->indexAt(QPoint(1, 1)).row());
    };
    choice->scrollTo(choice->model()->index(120, 0), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(firstRows(), std::pair(120, 120));
    // Three lines a notch of the wheel, over the preview.
    const QPoint at = preview->viewport()->rect().center();
    QWheelEvent wheel(at, preview->viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview->viewport(), &wheel);
    EXPECT_EQ(firstRows(), std::pair(123, 123));
    // Every keystroke refills the preview; Delete takes rows out of both.
    QTest::keyClicks(text("txtEras"), QStringLiteral("1"));
    EXPECT_EQ(firstRows(), std::pair(123, 123));
    select({124});
    QTest::keyClick(choice, Qt::Key_Delete);
    ASSERT_EQ(preview->ListCount(), 199);
    EXPECT_EQ(firstRows(), std::pair(123, 123));

    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {},
                      preview->visualRect(preview->model()->index(125, 0)).center());
    EXPECT_TRUE(preview->Selected(125));
    EXPECT_FALSE(choice->Selected(125));
    select({126});
    EXPECT_TRUE(preview->Selected(125)) << "each list keeps its own selection";
    EXPECT_FALSE(preview->Selected(126));
}
