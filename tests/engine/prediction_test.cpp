#include "engine/prediction.h"
#include "enginesupport.h"
#include "testsupport.h"

using namespace tessaly;
using tessaly::test::entries;
using tessaly::test::Rules;
using tessaly::test::u8;

namespace {

constexpr auto Left = Prediction::LeftAlone;
constexpr auto Renamed = Prediction::Renamed;
constexpr auto Exists = Prediction::NameExists;
constexpr auto Twice = Prediction::NameGivenTwice;
constexpr auto Bad = Prediction::BadName;

struct Predicted {
    Prediction::Outcome outcome;
    QString existing;
    friend bool operator==(const Predicted&, const Predicted&) = default;
    friend void PrintTo(const Predicted& p, std::ostream* os)
    {
        *os << int(p.outcome) << " \"" << p.existing.toStdString() << '"';
    }
};

std::vector<Predicted> predict(const FolderNames& folder, const QList<FileEntry>& chosen,
                               const QStringList& newNames,
                               std::vector<PositionFaults> positions = {})
{
    positions.resize(size_t(chosen.size()));
    std::vector<Predicted> out;
    qsizetype expected = 0;
    predictOutcomes(folder, chosen, entries(newNames), positions,
                    [&](qsizetype file, const Prediction& p) {
                        EXPECT_EQ(file, expected++) << "in run order, once each";
                        out.push_back({p.outcome, p.existing});
                    });
    return out;
}

} // namespace

TEST(Prediction, FollowsTheRunFileByFile)
{
    struct Case {
        const char* what;
        QStringList folder; // every entry, the chosen ones included
        QStringList chosen;
        QStringList newNames;
        std::vector<Predicted> expected;
    };
    const Case cases[] = {
        {"a file that is not chosen has the name",
         {"a.mp3", "b.mp3"},
         {"a.mp3"},
         {"b.mp3"},
         {{Exists, "b.mp3"}}},
        {"a dot file, a folder and a file the mask hides have the names",
         {"a.mp3", "b.mp3", "c.mp3", ".x", "Album", "notes.txt"},
         {"a.mp3", "b.mp3", "c.mp3"},
         {".x", "Album", "notes.txt"},
         {{Exists, ".x"}, {Exists, "Album"}, {Exists, "notes.txt"}}},
        {"two chosen files get one name: the second fails",
         {"a.mp3", "b.mp3", "c.mp3"},
         {"a.mp3", "b.mp3", "c.mp3"},
         {"x.mp3", "x.mp3", "x.mp3"},
         {{Renamed, {}}, {Twice, {}}, {Twice, {}}}},
        {"an earlier rename frees the name for a later file",
         {"1.mp3", "2.mp3", "3.mp3"},
         {"3.mp3", "2.mp3", "1.mp3"},
         {"4.mp3", "3.mp3", "2.mp3"},
         {{Renamed, {}}, {Renamed, {}}, {Renamed, {}}}},
        {"the same chain the other way round: the names are still taken",
         {"1.mp3", "2.mp3", "3.mp3"},
         {"1.mp3", "2.mp3", "3.mp3"},
         {"2.mp3", "3.mp3", "4.mp3"},
         {{Exists, "2.mp3"}, {Exists, "3.mp3"}, {Renamed, {}}}},
        {"a swap fails both ways",
         {"a", "b"},
         {"a", "b"},
         {"b", "a"},
         {{Exists, "b"}, {Exists, "a"}}},
        {"a freed name taken again is taken",
         {"a", "b", "c"},
         {"a", "b", "c"},
         {"z", "a", "a"},
         {{Renamed, {}}, {Renamed, {}}, {Twice, {}}}},
        {"a failed rename frees nothing",
         {"a", "b", "c"},
         {"a", "c"},
         {"b", "a"},
         {{Exists, "b"}, {Exists, "a"}}},
        {"a file left alone keeps its name",
         {"a", "b"},
         {"a", "b"},
         {"a", "a"},
         {{Left, {}}, {Exists, "a"}}},
        {"a case-only rename is a rename",
         {"song.mp3", "SONG.MP3"},
         {"song.mp3"},
         {"Song.mp3"},
         {{Renamed, {}}}},
        {"on a folder that compares case, case variants are other names",
         {"song.mp3", "SONG.MP3"},
         {"song.mp3", "SONG.MP3"},
         {"SONG.MP3", "Song.Mp3"},
         {{Exists, "SONG.MP3"}, {Renamed, {}}}},
        {"names left alone, empty or \".\" are left alone",
         {"a", "b", "c"},
         {"a", "b", "c"},
         {"a", "", "."},
         {{Left, {}}, {Left, {}}, {Left, {}}}},
        {"invalid names",
         {"a", "b", "c", "d"},
         {"a", "b", "c", "d"},
         {"..", "x/y", QString(256, u'x'), QStringLiteral("n") + QChar(0)},
         {{Bad, {}}, {Bad, {}}, {Bad, {}}, {Bad, {}}}},
        {"a bad name frees nothing",
         {"a", "b"},
         {"a", "b"},
         {"a/", "a"},
         {{Bad, {}}, {Exists, "a"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(predict(FolderNames(c.folder, false), entries(c.chosen), c.newNames), c.expected);
    }
}

TEST(Prediction, OnAFolderThatFoldsCaseComparesWithoutRegardToCase)
{
    struct Case {
        const char* what;
        QStringList folder;
        QStringList chosen;
        QStringList newNames;
        std::vector<Predicted> expected;
    };
    const Case cases[] = {
        {"a case-only rename finds the file itself",
         {"song.mp3", "other.mp3"},
         {"song.mp3"},
         {"SONG.Mp3"},
         {{Renamed, {}}}},
        {"a case variant of another file fails, naming that file",
         {"Song.mp3", "other.mp3"},
         {"other.mp3"},
         {"SONG.MP3"},
         {{Exists, "Song.mp3"}}},
        {"two chosen files get case variants of one name",
         {"a", "b", "c"},
         {"a", "b"},
         {"New", "NEW"},
         {{Renamed, {}}, {Twice, {}}}},
        {"a name freed by a rename is free in every case",
         {"a.mp3", "b.mp3"},
         {"a.mp3", "b.mp3"},
         {"c.mp3", "A.MP3"},
         {{Renamed, {}}, {Renamed, {}}}},
        {"a name given by a case-only rename is taken",
         {"a.mp3", "b.mp3"},
         {"a.mp3", "b.mp3"},
         {"A.mp3", "a.MP3"},
         {{Renamed, {}}, {Twice, {}}}},
        {"letters beyond ASCII fold too",
         {u8("Ärzte"), "b"},
         {"b"},
         {u8("ärzte")},
         {{Exists, u8("Ärzte")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(predict(FolderNames(c.folder, true), entries(c.chosen), c.newNames), c.expected);
    }
}

TEST(Prediction, NamesAreTheirBytes)
{
    // A Latin-1 name shows as "café.mp3" but is not the UTF-8 "café.mp3": a new name is
    // written as UTF-8, so it meets the UTF-8 file, and the Latin-1 one stays out of its way.
    const QByteArray latin1 = "caf\xe9.mp3";
    const FileEntry old = decodeFileName(latin1.constData(), latin1.size());
    ASSERT_EQ(old.name, u8("café.mp3"));
    const FolderNames folder({exactName(old), u8("café.MP3"), u8("x")}, false);
    EXPECT_EQ(predict(folder, {old}, {u8("café.mp3")}), (std::vector<Predicted>{{Left, {}}}))
        << "the shown name unchanged: left alone, as PROCEED compares texts";
    EXPECT_EQ(predict(folder, {old}, {u8("café.MP3")}),
              (std::vector<Predicted>{{Exists, u8("café.MP3")}}));
    EXPECT_EQ(predict(folder, {old}, {u8("Café.mp3")}), (std::vector<Predicted>{{Renamed, {}}}));
    // The UTF-8 name that the Latin-1 file would get is free once it is renamed away.
    const FolderNames both({exactName(old), u8("café.mp3")}, false);
    EXPECT_EQ(predict(both, {old, {u8("café.mp3"), {}}}, {u8("x"), u8("café.MP3")}),
              (std::vector<Predicted>{{Renamed, {}}, {Renamed, {}}}));
}

TEST(Prediction, CarriesThePositionFaultsOfEachFile)
{
    const FolderNames folder({u8("a"), u8("b"), u8("c")}, false);
    std::vector<PositionFaults> faults = {{true, false}, {false, true}, {true, true}};
    std::vector<Prediction> got;
    predictOutcomes(folder, entries({u8("a"), u8("b"), u8("c")}),
                    entries({u8("a"), u8("x/"), u8("z")}), faults,
                    [&](qsizetype, const Prediction& p) { got.push_back(p); });
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].outcome, Left);
    EXPECT_TRUE(got[0].positions.range && !got[0].positions.insert);
    EXPECT_EQ(got[1].outcome, Bad);
    EXPECT_TRUE(!got[1].positions.range && got[1].positions.insert);
    EXPECT_EQ(got[2].outcome, Renamed);
    EXPECT_TRUE(got[2].positions.range && got[2].positions.insert);
    EXPECT_FALSE(got[0].fails() || got[2].fails());
    EXPECT_TRUE(got[1].fails());
}

TEST(Prediction, ExplainsInPlainWords)
{
    const PredictionWords words(Rules().range(5, 3).insert(-1, {}));
    struct {
        Prediction prediction;
        const char* text;
    } cases[] = {
        {{Renamed, {}, {}}, ""},
        {{Left, {}, {}}, ""},
        {{Exists, {}, u8("x.mp3")}, "A file named \"x.mp3\" already exists"},
        {{Twice, {}, {}}, "Two chosen files would get this name"},
        {{Bad, {}, {}}, "Not a valid file name"},
        {{Renamed, {true, false}, {}}, "Position range 5 to 3 does not fit this name"},
        {{Left, {false, true}, {}}, "Position index -1 does not fit this name"},
        {{Renamed, {}, {}, true}, "The file will be hidden: its name begins with a dot"},
        {{Twice, {true, true}, {}},
         "Position range 5 to 3 does not fit this name\nPosition index -1 does not fit this "
         "name\nTwo chosen files would get this name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(words.explain(c.prediction), u8(c.text));
}

TEST(Prediction, LongRunsKeepTrackOfEveryRename)
{
    // Far more files than the look-ahead, with collisions spread through them: every tenth
    // file takes the name of the file before it, which is still there.
    QStringList folder;
    QStringList newNames;
    for (int i = 0; i < 5000; ++i) {
        folder.append(QStringLiteral("%1.mp3").arg(i));
        newNames.append(i % 10 == 9 ? QStringLiteral("%1.mp3").arg(i - 1)
                                    : QStringLiteral("new %1.mp3").arg(i));
    }
    const std::vector<Predicted> got =
        predict(FolderNames(folder, false), entries(folder), newNames);
    ASSERT_EQ(got.size(), 5000u);
    for (int i = 0; i < 5000; ++i) {
        // The file before it was renamed away already: its name is free.
        ASSERT_EQ(got[size_t(i)].outcome, Renamed) << i;
    }
    // The other way round each of them finds the name still taken.
    QStringList ahead;
    for (int i = 0; i < 5000; ++i)
        ahead.append(i % 10 == 8 ? QStringLiteral("%1.mp3").arg(i + 1)
                                 : QStringLiteral("new %1.mp3").arg(i));
    const std::vector<Predicted> fails =
        predict(FolderNames(folder, false), entries(folder), ahead);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(fails[size_t(i)].outcome, i % 10 == 8 ? Exists : Renamed) << i;
}
