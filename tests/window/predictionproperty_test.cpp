// Random folders and rule settings: what each preview line says PROCEED will do with its file
// is what PROCEED then does, line for line of its log.
#include "namelistmodel.h"
#include "playedcalls.h"
#include "windowfixture.h"

#include <fcntl.h>
#include <QAbstractButton>
#include <QIcon>
#include <random>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// Few pieces, so that names meet once the rules have run.
const QStringList pieces = {QStringLiteral("a"),   QStringLiteral("A"), QStringLiteral("b"),
                            QStringLiteral("_"),   QStringLiteral("1"), QString::fromUtf8("é"),
                            QString::fromUtf8("É")};
const QStringList suffixes = {QStringLiteral(".mp3"), QStringLiteral(".mp3"),
                              QStringLiteral(".mp3"), QStringLiteral(".MP3"),
                              QStringLiteral(".txt"), QString()};
// Rule texts: the pieces, and texts that make names empty, invalid or dots.
const QStringList ruleTexts = pieces + pieces +
                              QStringList{QString(),
                                          QString(),
                                          QStringLiteral("/"),
                                          QStringLiteral("."),
                                          QStringLiteral(".."),
                                          QStringLiteral("mp3"),
                                          QStringLiteral("a_")};

// How often each reason was foretold.
struct Tally {
    int renamed = 0;
    int exists = 0;
    int twice = 0;
    int bad = 0;
    int positions = 0;
};

class Case {
public:
    Case(unsigned seed, bool foldsCase) : m_random(seed), m_foldsCase(foldsCase) {}

    int below(int n) { return int(m_random() % unsigned(n)); }
    bool chance(int percent) { return below(100) < percent; }
    const QString& pick(const QStringList& from) { return from[below(int(from.size()))]; }

    // A folder of a few entries whose names are likely to meet once the rules have run:
    // one or two stems, each with a piece before or after it now and then, like "a.mp3",
    // "a_.mp3" and "1a.MP3", which rules such as "erase _" bring together.
    void fill(TempFolder& folder)
    {
        const QStringList stems = {pick(pieces), pick(pieces) + pick(pieces)};
        QStringList taken;
        const int count = 3 + below(10);
        for (int n = 0; n < count; ++n) {
            QString name = pick(stems);
            if (chance(40))
                name.append(pick(pieces));
            if (chance(30))
                name.prepend(pick(pieces));
            name += pick(suffixes);
            if (chance(10))
                name.prepend(u'.');
            const QString key = m_foldsCase ? name.toCaseFolded() : name;
            if (taken.contains(key))
                continue;
            taken.append(key);
            if (chance(10))
                folder.folder(name);
            else
                folder.file(name);
        }
        if (!m_foldsCase && chance(20)) {
            // A name that is not UTF-8, as old collections have.
            const int fd = ::open((encodePath(folder.path()) + "/caf\xe9.mp3").constData(),
                                  O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0);
            ::close(fd);
        }
    }

    void setRules(Window& w)
    {
        const auto text = [&](const char* box, const QString& value) {
            w.get<TextBox>(box)->setText(value);
        };
        // Mostly ranges that fit, sometimes ones that do not.
        const int from = chance(80) ? 1 + below(3) : below(10) - 1;
        text("txtFrom", QString::number(from));
        text("txtTo", QString::number(chance(80) ? from + below(3) : below(10) - 1));
        text("txtWith2", pick(ruleTexts));
        text("txtRepl", pick(ruleTexts));
        text("txtWith", pick(ruleTexts));
        text("txtEras", pick(ruleTexts));
        text("txtAdd", pick(ruleTexts));
        text("txtAft", QString::number(chance(80) ? below(3) : below(11) - 1));
        // One to three rules: with more, names drift too far apart to meet.
        const char* rules[] = {"chkRepl2", "chkRepl", "chkEras", "chkAdd",
                               "chkCapi",  "chkUp",   "chkLow"};
        std::vector<bool> on(std::size(rules), false);
        for (int k = 1 + below(3); k > 0; --k)
            on[size_t(below(int(std::size(rules))))] = true;
        for (size_t r = 0; r < std::size(rules); ++r)
            w.get<CheckBox>(rules[r])->setValue(on[r] ? 1 : 0);
        w.get<CheckBox>("chkAll")->setValue(chance(50) ? 1 : 0);
    }

    // Takes some files out of the chosen list: they stay in the folder, unchosen.
    void unchoose(Window& w)
    {
        ListBox* chosen = w.get<ListBox>("lstChoice");
        for (qsizetype i = chosen->ListCount() - 1; i >= 0; --i)
            if (chance(20))
                chosen->RemoveItem(i);
    }

private:
    std::mt19937 m_random;
    bool m_foldsCase;
};

// The log PROCEED must write if every preview line tells the truth.
QStringList logThePreviewForetells(Window& w, Tally& tally)
{
    ListBox* chosen = w.get<ListBox>("lstChoice");
    ListBox* preview = w.get<ListBox>("lstPreview");
    const QAbstractItemModel* model = preview->model();
    EXPECT_EQ(model->rowCount(), chosen->ListCount());
    const QColor warning = warningColour(preview->palette());
    const QColor muted = preview->palette().color(QPalette::PlaceholderText);
    QStringList log;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex i = model->index(row, 0);
        const QString oldName = chosen->List(row);
        const QString newName = i.data().toString();
        const QStringList reasons =
            i.data(Qt::ToolTipRole).toString().split(u'\n', Qt::SkipEmptyParts);
        const bool icon = !i.data(Qt::DecorationRole).value<QIcon>().isNull();
        EXPECT_EQ(icon, !reasons.isEmpty()) << "a marked line says why";
        const QColor colour = i.data(Qt::ForegroundRole).value<QBrush>().color();
        const bool fails = i.data(Qt::ForegroundRole).isValid() && colour == warning;
        bool said = false;
        for (const QString& reason : reasons) {
            if (reason.startsWith(QStringLiteral("Position ")))
                ++tally.positions;
            if (reason.startsWith(QStringLiteral("Position range "))) {
                log.append(QStringLiteral("Invalid position range: ") + reason.section(u' ', 2, 4));
            } else if (reason.startsWith(QStringLiteral("Position index "))) {
                log.append(QStringLiteral("Invalid position index: ") + reason.section(u' ', 2, 2));
            } else {
                EXPECT_TRUE(fails) << reason.toStdString();
                said = true;
                ++(reason.startsWith(QStringLiteral("A file named ")) ? tally.exists
                   : reason.startsWith(QStringLiteral("Two chosen"))  ? tally.twice
                                                                      : tally.bad);
                log.append(reason == QStringLiteral("Not a valid file name")
                               ? QStringLiteral("Bad file name ") + newName
                               : QStringLiteral("File \"") + oldName +
                                     QStringLiteral("\" already exist"));
            }
        }
        EXPECT_EQ(said, fails) << "a failing line says how it fails";
        if (!fails && !(i.data(Qt::ForegroundRole).isValid() && colour == muted) && ++tally.renamed)
            log.append(QStringLiteral("File \"") + oldName + QStringLiteral("\" renamed to \"") +
                       newName + u'"');
    }
    return log;
}

void runCases(bool foldsCase, int count, unsigned firstSeed)
{
    PlayedCalls calls;
    calls.foldCase = true;
    PosixFileSystem real;
    PosixFileSystem folding(calls);
    Window w(foldsCase ? &folding : &real);
    Tally tally;
    for (int n = 0; n < count; ++n) {
        const unsigned seed = firstSeed + unsigned(n);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Case c(seed, foldsCase);
        TempFolder folder;
        c.fill(folder);
        w.get<FolderList>("dirDir")->setPath(folder.path() + u'/');
        c.unchoose(w);
        c.setRules(w);
        w.get<QAbstractButton>("cmdGo_1")->click();
        const QStringList foretold = logThePreviewForetells(w, tally);
        const QStringList before = folder.names();
        QTest::mouseClick(w.get<QWidget>("cmdGo_0"), Qt::LeftButton);
        ASSERT_EQ(w.texts("lstResult"), foretold) << "folder: " << before.join(u'|').toStdString();
        ASSERT_TRUE(w.box.errors.isEmpty());
        w.get<FolderList>("dirDir")->setFolder(QStringLiteral("/"));
    }
    std::printf("%d cases from seed %u (%s): foretold %d renames, %d names taken, %d given twice, "
                "%d bad names, %d position faults\n",
                count, firstSeed, foldsCase ? "case-insensitive" : "case-sensitive", tally.renamed,
                tally.exists, tally.twice, tally.bad, tally.positions);
    // The cases reach every kind of outcome often enough to mean something.
    for (const int seen : {tally.renamed, tally.exists, tally.twice, tally.bad, tally.positions})
        EXPECT_GE(seen, 10);
}

} // namespace

TEST(PredictionProperty, TheMarksForetellProceedOnACaseSensitiveFolder)
{
    runCases(false, 500, 1000);
}

TEST(PredictionProperty, TheMarksForetellProceedOnACaseInsensitiveFolder)
{
    runCases(true, 300, 50000);
}
