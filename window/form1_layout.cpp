// Form1: the window's design. Every control at its place, with its text, font and settings.
#include "controls/drivelist.h"
#include "controls/droppoint.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "controls/listviews.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "window/form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>

namespace tessaly {

namespace {

// The two fonts of the design, with the faces to fall back on where the machine has not
// the designed one: a fixed-pitch face for the fields, a sans-serif one for the buttons.
QFont fieldFont()
{
    QFont f;
    f.setFamilies({QStringLiteral("Fixedsys"), QStringLiteral("DejaVu Sans Mono"),
                   QStringLiteral("Liberation Mono"), QStringLiteral("Noto Sans Mono"),
                   QStringLiteral("monospace")});
    f.setStyleHint(QFont::Monospace);
    f.setPointSize(9);
    f.setWeight(QFont::Normal);
    return f;
}

// Faces with the metrics of the designed sans-serif ones first, so captions fit their boxes.
QFont sansFont(int points)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("sans-serif")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setWeight(QFont::Normal);
    return f;
}

QFont buttonFont()
{
    return sansFont(9);
}

// The window's own font, which every control without a font of its own uses.
QFont windowFont()
{
    return sansFont(8);
}

// A face other than the designed one may set a caption wider than its label; that label takes
// the same face a little smaller, in quarter points down to 6, so the caption shows whole. With
// Liberation Sans only "Files (suitable for mask filter)" needs it (140 pixels for 137 at 8).
void fitCaption(Label* label)
{
    QFont f = label->font();
    while (QFontMetrics(f).horizontalAdvance(label->text()) > label->width() &&
           f.pointSizeF() > 6.0)
        f.setPointSizeF(f.pointSizeF() - 0.25);
    if (f != label->font())
        label->setFont(f);
}

// The program's icon in every size it is drawn in; the window system picks what it shows.
QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1.png").arg(size), QSize(size, size));
    return icon;
}

// Qt exposes a plain top-level widget as a client area, which AT-SPI calls a filler; the window
// is a frame, named by its caption.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object)
{
    if (className != QLatin1String(Form1::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

} // namespace

void Form1::buildControls()
{
    setWindowTitle(
        QStringLiteral("Tessaly 2.4c - correction tool for [MP3's] filenames by Torvenal"));
    setWindowIcon(applicationIcon());
    resize(ClientWidth, ClientHeight);
    setFont(windowFont());

    const QFont field = fieldFont();
    const QFont button = buttonFont();
    FileSystem& fs = m_fs;

    // Every control is made by one row of the table below, in tab order. A check box or text
    // box names the label beside it (or a text of its own) as its name for screen readers.
    QList<QWidget*> tabOrder;
    std::vector<std::pair<QWidget*, const char*>> namedBy; // control, label name or own text
    const auto place = [&](auto* c, const char* name, int x, int y, int w, int h) {
        c->setObjectName(QString::fromLatin1(name));
        c->setGeometry(x, y, w, h);
        tabOrder.append(c);
        return c;
    };
    auto check = [&](const char* name, int x, int y, int value, const char* by) {
        auto* c = place(new CheckBox(this), name, x, y, 17, 13);
        c->setText(QStringLiteral("Check1")); // hidden behind the box's narrow width
        c->setValue(value);
        namedBy.emplace_back(c, by);
        return c;
    };
    auto text = [&](const char* name, int x, int y, int w, const char* initial, const char* by) {
        auto* t = place(new TextBox(this), name, x, y, w, 19);
        t->setFont(field);
        t->setText(QString::fromUtf8(initial));
        namedBy.emplace_back(t, by);
        return t;
    };
    auto label = [&](const char* name, int x, int y, int w, const char* caption) {
        auto* l = place(new Label(this), name, x, y, w, 17);
        l->setCaption(QString::fromUtf8(caption));
        fitCaption(l);
        l->lower(); // beneath the boxes it reaches into: a click on a box's edge is the box's
        return l;
    };
    auto command = [&](const char* name, int index, int x, int y, const char* caption) {
        auto* b = place(new CommandButton(index, this), name, x, y, 113, 25);
        b->setText(QString::fromUtf8(caption));
        return b;
    };

    // In tab order: name, place and size, caption or initial text, name for screen readers.
    chkRepl2 = check("chkRepl2", 0, 8, 0, "Label8");
    txtFrom = text("txtFrom", 136, 8, 33, "1", "Label8");
    txtTo = text("txtTo", 192, 8, 33, "1", "to Nr.");
    txtWith2 = text("txtWith2", 320, 8, 121, "", "Replace chars with");
    txtRepl = text("txtRepl", 80, 32, 209, "", "Label2");
    txtWith = text("txtWith", 320, 32, 121, "", "Replace $ with");
    txtEras = text("txtEras", 80, 56, 209, "", "Label1");
    txtAdd = text("txtAdd", 80, 80, 209, "", "Label3");
    txtAft = text("txtAft", 376, 80, 33, "0", "Label5");
    txtFilter = text("txtFilter", 336, 104, 73, "*.mp3", "Label4");
    cmdRefresh_2 = command("cmdRefresh_2", 2, 416, 88, "&REFRESH");
    cmdGo_0 = command("cmdGo_0", ProceedButton, 416, 120, "&PROCEED");
    txtDir = text("txtDir", 48, 152, 481, "", "Label11");
    txtEx = text("txtEx", 48, 176, 481, "", "Label12");
    flFile = place(new FileList(fs, this), "flFile", 0, 328, 265, 227);
    lstChoice = place(new ListBox(this), "lstChoice", 265, 328, 264, 225);
    drvDrive = place(new DriveList(fs, this), "drvDrive", 536, 8, 257, 21);
    dirDir = place(new FolderList(fs, this), "dirDir", 536, 32, 257, 156);
    lstResult = place(new ListBox(this, NameListModel::Lines), "lstResult", 0, 200, 793, 109);
    chkRepl = check("chkRepl", 0, 32, 0, "Label2");
    chkEras = check("chkEras", 0, 56, 0, "Label1");
    chkAll = check("chkAll", 296, 56, 1, "Label15");
    chkAdd = check("chkAdd", 0, 80, 0, "Label3");
    chkCapi = check("chkCapi", 0, 104, 0, "Label7");
    chkUp = check("chkUp", 0, 128, 0, "Label13");
    chkLow = check("chkLow", 168, 128, 0, "Label14");
    cmdGo_1 = command("cmdGo_1", PreviewButton, 416, 152, "P&REVIEW");
    lstPreview = place(new ListBox(this), "lstPreview", 529, 328, 264, 225);
    Label1 = label("Label1", 24, 56, 57, "Erase $");
    Label2 = label("Label2", 24, 32, 57, "Replace $");
    Label4 = label("Label4", 296, 104, 33, "Filter");
    Label6 = label("Label6", 296, 32, 25, "with");
    Label8 = label("Label8", 24, 8, 113, "Replace chars from Nr.");
    Label9 = label("Label9", 176, 8, 17, "to");
    Label10 = label("Label10", 296, 8, 25, "with");
    Label11 = label("Label11", 0, 152, 49, "Directory");
    Label12 = label("Label12", 0, 176, 49, "File E.G.");
    Label3 = label("Label3", 24, 80, 57, "Add $");
    Label5 = label("Label5", 296, 80, 73, "after Char Nr.");
    Label7 = label("Label7", 24, 104, 161, "Capitalize First Letters");
    Label13 = label("Label13", 24, 128, 105, "Uppercase .SUFFIX");
    Label14 = label("Label14", 192, 128, 97, "Lowercase .suffix");
    Label15 = label("Label15", 320, 56, 57, "Replace all");
    Label16 = label("Label16", 0, 312, 137, "Files (suitable for mask filter)");
    Label17 = label("Label17", 264, 312, 121, "Files chosen for rename");
    Label18 = label("Label18", 528, 312, 57, "Preview");
    picDragDrop = place(new DropPoint(this), "picDragDrop", 448, 32, 81, 49);
    Label19 = label("Label19", 448, 8, 81, "Drag && Drop Dir");

    // Tab goes through the table's order. It passes over the labels and the drop point, which
    // take no focus (Qt links no such widget), and the hidden "P&REVIEW" button, which Qt never
    // focuses. The check boxes
    // stay: they are the only way to switch a rule on or off from the keyboard (four rules
    // have no field whose typing would tick them, and typing never clears a box). lstResult
    // and lstPreview stay too: a long log or preview scrolls from the keyboard only with the
    // focus, and a screen reader reads a list's entries only there.
    tabOrder.removeIf([](const QWidget* w) { return w->focusPolicy() == Qt::NoFocus; });
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The check boxes show no caption of their own: screen readers take the label's.
    for (auto [control, by] : namedBy) {
        const auto* l = findChild<Label*>(QString::fromLatin1(by));
        control->setAccessibleName(l ? l->text() : QString::fromUtf8(by));
    }

    // Settings beyond place and text.
    for (TextBox* t : {txtFrom, txtTo, txtAft})
        t->setTypedLimit(3);
    for (TextBox* t : {txtDir, txtEx})
        t->setReadOnly(true); // the user can still select and copy
    cmdRefresh_2->setFont(button);
    cmdGo_0->setFont(button);
    cmdGo_1->hide(); // never shown
    lstResult->setFont(field);
    lstChoice->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstChoice->setToolTip(QStringLiteral("Files chosen for rename"));
    lstResult->setToolTip(QStringLiteral("Result"));
    lstPreview->setToolTip(QStringLiteral("Preview"));
    picDragDrop->setToolTip(QStringLiteral("Drag & Drop Directory Point"));
    for (ListBox* l : {lstChoice, lstResult, lstPreview})
        l->setAccessibleName(l->toolTip());
    flFile->setAccessibleName(Label16->text());
    drvDrive->setAccessibleName(QStringLiteral("Drive"));
    // On Linux Qt names a combo box by its current entry and leaves the rest to a label
    // relation, which the design has not; the description still tells what the list is.
    drvDrive->setAccessibleDescription(QStringLiteral("Drive"));
    dirDir->setAccessibleName(QStringLiteral("Folder"));
    picDragDrop->setAccessibleName(picDragDrop->toolTip());
    // A marked preview line says why in its accessible description, after what its icon shows.
    lstPreview->setIconWords(QStringLiteral("Note"), QStringLiteral("Would fail"));
    static const bool windowIsFrame = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(windowIsFrame);

    // A chosen file and its new name stand side by side, however either list is scrolled.
    scrollTogether(*lstChoice, *lstPreview);

    mnuPopUplstChoice = new PopupMenu(this);
    mnuPopUplstChoice->setObjectName(QStringLiteral("mnuPopUplstChoice"));
    mnuPopUplstChoice->setTitle(QStringLiteral("mnuPopUplstChoice"));
    mnuPopUplstChoice->addItem(QStringLiteral("mnuPopUplstChoiceDel"),
                               QStringLiteral("Delete sel.    Del"));
    mnuPopUplstChoice->addItem(QStringLiteral("mnuPopUplstChoiceCrop"),
                               QStringLiteral("Crop sel.      Space"));
    mnuPopUplstChoice->addItem(QStringLiteral("mnuPopUplstChoiceCopy"),
                               QStringLiteral("Copy sel."));

    mnuPopUplstResult = new PopupMenu(this);
    mnuPopUplstResult->setObjectName(QStringLiteral("mnuPopUplstResult"));
    mnuPopUplstResult->setTitle(QStringLiteral("mnuPopUplstResult"));
    mnuPopUplstResult->addItem(QStringLiteral("mnuPopUplstResultUndo"),
                               QStringLiteral("Undo renames    Ctrl+Z"));
    mnuPopUplstResult->addItem(QStringLiteral("mnuPopUplstResultRedo"),
                               QStringLiteral("Redo renames    Ctrl+Shift+Z"));

    mnuPopUpdirDir = new PopupMenu(this);
    mnuPopUpdirDir->setObjectName(QStringLiteral("mnuPopUpdirDir"));
    mnuPopUpdirDir->setTitle(QStringLiteral("mnuPopUpdirDir"));
    mnuPopUpdirDir->addItem(QStringLiteral("mnuPopUpdirDirTree"),
                            QStringLiteral("Rename in this folder and its subfolders...    "
                                           "Ctrl+Shift+P"));
}

} // namespace tessaly
