#include "controls/namelistmodel.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QIcon>
#include <QImage>
#include <QPalette>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// What a preview line shows besides its text.
struct Look {
    QString text;
    enum Colour { Normal, Muted, Warning, Other } colour;
    enum Icon { None, Notice, Warn } icon;
    QString toolTip;
    friend bool operator==(const Look&, const Look&) = default;
    friend void PrintTo(const Look& l, std::ostream* os)
    {
        *os << '"' << l.text.toStdString() << "\" colour " << l.colour << " icon " << l.icon
            << " \"" << l.toolTip.toStdString() << '"';
    }
};

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

std::vector<Look> looks(ListBox* list)
{
    const QPalette palette = list->palette();
    const QImage warning = imageOf(list->style()->standardIcon(QStyle::SP_MessageBoxWarning));
    const QImage notice = imageOf(list->style()->standardIcon(QStyle::SP_MessageBoxInformation));
    std::vector<Look> out;
    QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex i = model->index(row, 0);
        Look l{i.data().toString(), Look::Normal, Look::None, i.data(Qt::ToolTipRole).toString()};
        const QVariant brush = i.data(Qt::ForegroundRole);
        if (brush.isValid()) {
            const QColor c = brush.value<QBrush>().color();
            l.colour = c == palette.color(QPalette::PlaceholderText) ? Look::Muted
                       : c == warningColour(palette)                 ? Look::Warning
                                                                     : Look::Other;
        }
        const QVariant icon = i.data(Qt::DecorationRole);
        if (icon.isValid()) {
            const QImage image = imageOf(icon.value<QIcon>());
            l.icon = image == warning ? Look::Warn : image == notice ? Look::Notice : Look::None;
            EXPECT_NE(l.icon, Look::None) << "an icon of its own at row " << row;
        }
        out.push_back(l);
    }
    return out;
}

Look plain(const char* text)
{
    return {QString::fromUtf8(text), Look::Normal, Look::None, {}};
}
Look muted(const char* text)
{
    return {QString::fromUtf8(text), Look::Muted, Look::None, {}};
}
Look failing(const char* text, const char* why)
{
    return {QString::fromUtf8(text), Look::Warning, Look::Warn, QString::fromUtf8(why)};
}

// WCAG's contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double x = luminance(a);
    const double y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

} // namespace

// A window over a folder that each test fills.
class MarkedPreview : public WindowTest {
protected:
    using WindowTest::WindowTest;
    std::vector<Look> preview() const { return looks(list("lstPreview")); }
};

class PreviewMarksTest : public MarkedPreview {
protected:
    PreviewMarksTest()
        : MarkedPreview({QStringLiteral("a_1.mp3"), QStringLiteral("b_2.mp3"),
                         QStringLiteral("c_3.mp3"), QStringLiteral("taken.mp3"),
                         QStringLiteral(".dot.mp3"), QStringLiteral("notes.txt")})
    {
        folder.folder(QStringLiteral("Album"));
        showFolder();
        // taken.mp3 matches the mask but is not chosen.
        list("lstChoice")->RemoveItem(3);
    }
    // Gives the chosen files these new names through the range rule over their first
    // three characters.
    void rangeTo(const char* with)
    {
        text("txtFrom")->setText(QStringLiteral("1"));
        text("txtTo")->setText(QStringLiteral("3"));
        text("txtWith2")->setText(QString::fromUtf8(with));
    }
};

TEST_F(PreviewMarksTest, UnchangedNamesAreMutedAndRenamesPlain)
{
    ASSERT_EQ(lines("lstChoice"), strings({"a_1.mp3", "b_2.mp3", "c_3.mp3"}));
    check("chkCapi")->setValue(1);
    check("chkCapi")->setValue(0);
    EXPECT_EQ(preview(), (std::vector<Look>{muted("a_1.mp3"), muted("b_2.mp3"), muted("c_3.mp3")}));
    text("txtRepl")->setText(QStringLiteral("b_"));
    text("txtWith")->setText(QStringLiteral("B-"));
    EXPECT_EQ(preview(), (std::vector<Look>{muted("a_1.mp3"), plain("B-2.mp3"), muted("c_3.mp3")}));
    EXPECT_EQ(lines("lstPreview"), strings({"a_1.mp3", "B-2.mp3", "c_3.mp3"}))
        << "each line is the new name alone";
}

TEST_F(PreviewMarksTest, NamesThatWouldFailAreMarkedWithTheirReason)
{
    rangeTo("taken"); // a file that is not chosen
    EXPECT_EQ(preview(), (std::vector<Look>{
                             failing("taken.mp3", "A file named \"taken.mp3\" already exists"),
                             failing("taken.mp3", "A file named \"taken.mp3\" already exists"),
                             failing("taken.mp3", "A file named \"taken.mp3\" already exists")}));
    rangeTo("new"); // the first gets it, the others would fail
    EXPECT_EQ(preview(),
              (std::vector<Look>{plain("new.mp3"),
                                 failing("new.mp3", "Two chosen files would get this name"),
                                 failing("new.mp3", "Two chosen files would get this name")}));
    rangeTo("bad/");
    EXPECT_EQ(preview(), (std::vector<Look>{failing("bad/.mp3", "Not a valid file name"),
                                            failing("bad/.mp3", "Not a valid file name"),
                                            failing("bad/.mp3", "Not a valid file name")}));
}

TEST_F(PreviewMarksTest, DotFilesFoldersAndHiddenFilesTakeNamesToo)
{
    text("txtFrom")->setText(QStringLiteral("1"));
    text("txtTo")->setText(QStringLiteral("7"));
    text("txtWith2")->setText(QStringLiteral(".dot.mp3"));
    const Look dot = failing(".dot.mp3", "A file named \".dot.mp3\" already exists");
    EXPECT_EQ(preview(), (std::vector<Look>{dot, dot, dot}));
    text("txtWith2")->setText(QStringLiteral("Album"));
    const Look album = failing("Album", "A file named \"Album\" already exists");
    EXPECT_EQ(preview(), (std::vector<Look>{album, album, album}));
    text("txtWith2")->setText(QStringLiteral("notes.txt"));
    const Look notes = failing("notes.txt", "A file named \"notes.txt\" already exists");
    EXPECT_EQ(preview(), (std::vector<Look>{notes, notes, notes}));
}

TEST_F(PreviewMarksTest, NamesThatHideTheirFileAreNoticedAndStillRenamed)
{
    const QString hidden = QStringLiteral("The file will be hidden: its name begins with a dot");
    const auto hides = [&](const char* text) {
        return Look{QString::fromUtf8(text), Look::Normal, Look::Notice, hidden};
    };
    text("txtFrom")->setText(QStringLiteral("1"));
    text("txtTo")->setText(QStringLiteral("7")); // the whole name
    struct Case {
        const char* with;
        std::vector<Look> expected;
    };
    const Case cases[] = {
        {".", {muted("."), muted("."), muted(".")}}, // never renamed
        {"..",
         {failing("..", "Not a valid file name"), failing("..", "Not a valid file name"),
          failing("..", "Not a valid file name")}},
        {".x",
         {hides(".x"), failing(".x", "Two chosen files would get this name"),
          failing(".x", "Two chosen files would get this name")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.with);
        text("txtWith2")->setText(QString::fromUtf8(c.with));
        EXPECT_EQ(preview(), c.expected);
    }
    text("txtWith2")->setText(QStringLiteral(".a"));
    text("txtTo")->setText(QStringLiteral("1"));
    EXPECT_EQ(preview(),
              (std::vector<Look>{hides(".a_1.mp3"), hides(".a_2.mp3"), hides(".a_3.mp3")}));
    proceed();
    EXPECT_EQ(lines("lstResult"), strings({"File \"a_1.mp3\" renamed to \".a_1.mp3\"",
                                           "File \"b_2.mp3\" renamed to \".a_2.mp3\"",
                                           "File \"c_3.mp3\" renamed to \".a_3.mp3\""}));
    EXPECT_TRUE(folder.exists(QStringLiteral(".a_2.mp3")));
    EXPECT_EQ(lines("lstChoice"), strings({"taken.mp3"})) << "the file lists hide them";
}

TEST_F(MarkedPreview, ChainsFollowTheRunsOrder)
{
    // "ab.mp3" goes first and frees its name; "abb.mp3" then takes it.
    folder.file(QStringLiteral("ab.mp3"));
    folder.file(QStringLiteral("abb.mp3"));
    check("chkAll")->setValue(0);
    showFolder();
    text("txtEras")->setText(QStringLiteral("b"));
    EXPECT_EQ(preview(), (std::vector<Look>{plain("a.mp3"), plain("ab.mp3")}));
    proceed();
    EXPECT_EQ(lines("lstResult"), strings({"File \"ab.mp3\" renamed to \"a.mp3\"",
                                           "File \"abb.mp3\" renamed to \"ab.mp3\""}));
}

TEST_F(MarkedPreview, ANameStillTakenAtThatPointOfTheRunFails)
{
    // The other way round: "a.mp3" wants the name of "ab.mp3", which is still there.
    folder.file(QStringLiteral("a.mp3"));
    folder.file(QStringLiteral("ab.mp3"));
    showFolder();
    text("txtAft")->setText(QStringLiteral("1"));
    text("txtAdd")->setText(QStringLiteral("b"));
    EXPECT_EQ(preview(),
              (std::vector<Look>{failing("ab.mp3", "A file named \"ab.mp3\" already exists"),
                                 plain("abb.mp3")}));
    proceed();
    EXPECT_EQ(lines("lstResult"),
              strings({"File \"a.mp3\" already exist", "File \"ab.mp3\" renamed to \"abb.mp3\""}));
}

TEST_F(PreviewMarksTest, PositionsThatDoNotFitAreNoticed)
{
    text("txtFrom")->setText(QStringLiteral("5"));
    text("txtTo")->setText(QStringLiteral("3"));
    check("chkUp")->setValue(1);
    const QString range = QStringLiteral("Position range 5 to 3 does not fit this name");
    EXPECT_EQ(preview(), (std::vector<Look>{{"a_1.MP3", Look::Normal, Look::Notice, range},
                                            {"b_2.MP3", Look::Normal, Look::Notice, range},
                                            {"c_3.MP3", Look::Normal, Look::Notice, range}}));
    check("chkUp")->setValue(0);
    check("chkRepl2")->setValue(0);
    text("txtAdd")->setText(QStringLiteral("x"));
    text("txtAft")->setText(QStringLiteral("8"));
    const QString index = QStringLiteral("Position index 8 does not fit this name");
    EXPECT_EQ(preview(), (std::vector<Look>{{"a_1.mp3", Look::Muted, Look::Notice, index},
                                            {"b_2.mp3", Look::Muted, Look::Notice, index},
                                            {"c_3.mp3", Look::Muted, Look::Notice, index}}));
    // Both, and a failure: every reason, one a line, in the order PROCEED logs them.
    check("chkRepl2")->setValue(1);
    text("txtEras")->setText(QStringLiteral("_"));
    text("txtWith2")->setText(QStringLiteral("x"));
    text("txtRepl")->setText(QStringLiteral("mp3"));
    text("txtWith")->setText(QStringLiteral("/"));
    const QString all = range + u'\n' + index + QStringLiteral("\nNot a valid file name");
    EXPECT_EQ(preview(), (std::vector<Look>{{"a1./", Look::Warning, Look::Warn, all},
                                            {"b2./", Look::Warning, Look::Warn, all},
                                            {"c3./", Look::Warning, Look::Warn, all}}));
}

TEST_F(PreviewMarksTest, ProceedDoesWhatThePreviewSaid)
{
    rangeTo("new");
    ASSERT_EQ(preview()[1].colour, Look::Warning);
    proceed();
    EXPECT_EQ(lines("lstResult"),
              strings({"File \"a_1.mp3\" renamed to \"new.mp3\"", "File \"b_2.mp3\" already exist",
                       "File \"c_3.mp3\" already exist"}));
    // The nested previews after PROCEED mark the re-read folder: every rule is off.
    EXPECT_EQ(preview(), (std::vector<Look>{muted("b_2.mp3"), muted("c_3.mp3"), muted("new.mp3"),
                                            muted("taken.mp3")}));
}

TEST_F(PreviewMarksTest, TheWarningColourStandsOutOnLightAndDarkPalettes)
{
    QPalette light;
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));
    dark.setColor(QPalette::Text, QColor(0xef, 0xf0, 0xf1));
    dark.setColor(QPalette::PlaceholderText, QColor(0xef, 0xf0, 0xf1, 0x80));
    rangeTo("new");
    ListBox* l = list("lstPreview");
    for (const QPalette& p : {light, dark}) {
        l->setPalette(p);
        const QColor warning = warningColour(p);
        EXPECT_GE(contrast(warning, p.color(QPalette::Base)), 4.5) << warning.name().toStdString();
        EXPECT_GT(warning.red(), 2 * std::max(warning.green(), warning.blue())) << "a red";
        const QModelIndex failing = l->model()->index(1, 0);
        EXPECT_EQ(failing.data(Qt::ForegroundRole).value<QBrush>().color(), warning)
            << "from the list's own palette";
    }
    check("chkRepl2")->setValue(0);
    EXPECT_EQ(l->model()->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
              dark.color(QPalette::PlaceholderText));
}

TEST_F(MarkedPreview, TypingNeitherReadsNorWritesTheFolder)
{
    folder.file(QStringLiteral("a_b.mp3"));
    folder.file(QStringLiteral("c_d.mp3"));
    showFolder();
    const QStringList before = folder.names();
    fs.listings = fs.fileReads = 0;
    auto* repl = text("txtRepl");
    repl->setFocus();
    QTest::keyClicks(repl, QStringLiteral("_x_"));
    QTest::keyClicks(text("txtWith"), QStringLiteral("c d"));
    EXPECT_EQ(lines("lstPreview"), strings({"a_b.mp3", "c_d.mp3"}));
    ASSERT_EQ(repl->Text(), QStringLiteral("_x_"));
    repl->setText(QStringLiteral("a_b"));
    EXPECT_EQ(lines("lstPreview"), strings({"c d.mp3", "c_d.mp3"}));
    EXPECT_EQ(fs.listings + fs.fileReads, 0);
    EXPECT_EQ(fs.renames, 0);
    EXPECT_EQ(folder.names(), before);
}

TEST_F(MarkedPreview, ACaseInsensitiveFolderComparesNamesWithoutRegardToCase)
{
    calls.foldCase = true;
    folder.file(QStringLiteral("Song.mp3"));
    folder.file(QStringLiteral("other.mp3"));
    showFolder();
    ASSERT_EQ(lines("lstChoice"), strings({"other.mp3", "Song.mp3"}));
    // Case-only renames are renames.
    check("chkUp")->setValue(1);
    EXPECT_EQ(preview(), (std::vector<Look>{plain("other.MP3"), plain("Song.MP3")}));
    // "SONG.mp3" is another spelling of a file that is still there.
    check("chkUp")->setValue(0);
    text("txtRepl")->setText(QStringLiteral("other"));
    text("txtWith")->setText(QStringLiteral("SONG"));
    EXPECT_EQ(preview(),
              (std::vector<Look>{failing("SONG.mp3", "A file named \"Song.mp3\" already exists"),
                                 muted("Song.mp3")}));
    proceed();
    EXPECT_EQ(lines("lstResult"), strings({"File \"other.mp3\" already exist"}));
    EXPECT_EQ(folder.names(), strings({"Song.mp3", "other.mp3"}));
}
