#include "core/runtimeerror.h"
#include "engine/nameedit.h"
#include "testsupport.h"

#include <functional>

using namespace tessaly;
using tessaly::test::u8;

namespace {

// The result of an edit, or the code of the run-time error it raised (code 0 for none).
struct Outcome {
    QString text;
    int error = 0;
    friend bool operator==(const Outcome&, const Outcome&) = default;
    friend void PrintTo(const Outcome& o, std::ostream* os)
    {
        if (o.error)
            *os << "error " << o.error;
        else
            *os << '"' << o.text.toStdString() << '"';
    }
};

Outcome run(const std::function<QString()>& edit)
{
    try {
        return {edit(), 0};
    } catch (const RunTimeError& e) {
        return {QString(), e.code()};
    }
}

Outcome text(const char* utf8)
{
    return {QString::fromUtf8(utf8), 0};
}
Outcome text(const QString& s)
{
    return {s, 0};
}
Outcome error(int code)
{
    return {QString(), code};
}

QString xs(qsizetype n)
{
    return QString(n, u'x');
}

// U+10428 DESERET SMALL LETTER LONG I and its capital U+10400: one letter, two code units.
const char* const deseretSmall = "\U00010428";
const char* const deseretCapital = "\U00010400";

} // namespace

TEST(ReplaceText, MatchesIgnoreCaseAndScanResumesBehindEachReplacement)
{
    struct {
        QString text, find, replacement;
        qint16 all;
        Outcome expected;
    } cases[] = {
        {u8("abc"), u8(""), u8("X"), -1, text("abc")},
        {u8("abc"), u8(""), u8("X"), 0, text("abc")},
        {u8("Track TRACK track"), u8("track"), u8("Song"), 0, text("Song TRACK track")},
        {u8("Track TRACK track"), u8("track"), u8("Song"), -1, text("Song Song Song")},
        {u8("AbA"), u8("a"), u8("a"), -1, text("aba")},
        {u8("a-a"), u8("a"), u8("aa"), -1, text("aa-aa")},
        {u8("abab"), u8("ab"), u8(""), -1, text("")},
        {u8("aabb"), u8("ab"), u8(""), -1, text("ab")},
        {u8("aaa"), u8("a"), u8(""), -1, text("")},
        {u8("aaa"), u8("aa"), u8("a"), -1, text("aa")},
        {u8(""), u8("a"), u8("b"), -1, text("")},
        {u8("abc"), u8("abcd"), u8("X"), -1, text("abc")},
        {u8("a_b_c"), u8("_"), u8(" "), 0, text("a b_c")},
        // Any non-zero flag means every match.
        {u8("a_b_c"), u8("_"), u8(" "), 1, text("a b c")},
        {u8("Café CAFÉ"), u8("é"), u8("e"), -1, text("Cafe CAFe")},
        // Simple case folding: "ß" is not "SS".
        {u8("Straße"), u8("SS"), u8("ss"), -1, text("Straße")},
        {u8("Straße"), u8("ß"), u8("ss"), -1, text("Strasse")},
        {u8("x") + u8(deseretSmall) + u8("y"), u8(deseretCapital), u8("-"), -1, text("x-y")},
        // Search texts without letters, one character or more, and letters that match
        // other letters (KELVIN SIGN is a "k", LONG S an "s").
        {u8("A.B.C"), u8("."), u8(""), -1, text("ABC")},
        {u8("a--b--c-"), u8("--"), u8("+"), -1, text("a+b+c-")},
        {u8("x_y_z"), u8("_"), u8("__"), -1, text("x__y__z")},
        {u8("aXbxc"), u8("x"), u8(""), -1, text("abc")},
        {u8("\u212Aelvin"), u8("k"), u8("K"), -1, text("Kelvin")},
        {u8("\u017Fun"), u8("S"), u8("s"), -1, text("sun")},
        // 1 - length of the replacement must fit in 16 bits, but only once there is a search.
        {u8("a"), u8("a"), QString(32769, u'b'), 0, text(QString(32769, u'b'))},
        {u8("a"), u8("a"), QString(32770, u'b'), 0, error(6)},
        {u8("a"), u8(""), QString(40000, u'b'), 0, text("a")},
        // A found position is a 16-bit number.
        {xs(32766) + u8("a"), u8("A"), u8("b"), 0, text(xs(32766) + u8("b"))},
        {xs(32767) + u8("a"), u8("A"), u8("b"), 0, error(6)},
        {xs(32767) + u8("a"), u8("z"), u8("b"), 0, text(xs(32767) + u8("a"))},
        // ... counted in the text as edited so far: a longer replacement pushes the next
        // match past 32767, an erasure pulls it back.
        {u8("a") + xs(32765) + u8("a"), u8("a"), u8("bb"), -1, error(6)},
        {u8("a") + xs(32766) + u8("a"), u8("a"), u8(""), -1, text(xs(32766))},
        // One character for another, as "_" for " ": the same limits.
        {xs(32766) + u8("_"), u8("_"), u8(" "), -1, text(xs(32766) + u8(" "))},
        {u8("_") + xs(32766) + u8("_"), u8("_"), u8(" "), -1, error(6)},
        {u8("_") + xs(32766) + u8("_"), u8("_"), u8(" "), 0, text(u8(" ") + xs(32766) + u8("_"))},
        {u8("_x__"), u8("_"), u8("_"), -1, text("_x__")},
        {u8("x_y"), u8("-"), u8(" "), -1, text("x_y")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run([&] { return ReplaceText(c.text, c.find, c.replacement, c.all); }),
                  c.expected)
            << c.text.left(40).toStdString() << " / " << c.find.toStdString() << " / "
            << c.replacement.left(40).toStdString() << " / " << c.all;
    }
}

TEST(ReplaceText, LeavesItsArgumentsAlone)
{
    const QString name = u8("a_b");
    QString copy = name;
    const QString result = ReplaceText(copy, u8("_"), u8(" "), -1);
    EXPECT_EQ(result, u8("a b"));
    EXPECT_EQ(copy, name);
}

TEST(ReplaceRange, KeepsTheEndsAroundTheReplacement)
{
    struct {
        QString text;
        qint16 from, to;
        Outcome expected;
    } cases[] = {
        {u8("abcdef"), 2, 4, text("aXef")},
        {u8("abcdef"), 1, 6, text("X")},
        {u8("abc"), 5, 9, text("abcX")},
        {u8("abcdef"), 4, 1, text("abcXbcdef")},
        {u8("abc"), 2, 0, text("aXabc")},
        {u8("abc"), 1, 0, text("Xabc")},
        {u8(""), 1, 1, text("X")},
        {u8("abc"), 0, 2, error(5)},
        {u8("abc"), 2, -1, error(5)},
        // The leading part is taken first, so its error wins.
        {u8("abc"), 0, -1, error(5)},
        {u8("abc"), -32768, -1, error(6)},
        {u8("abc"), 1, 32767, error(6)},
        {u8("abc"), 32767, 32766, text("abcX")},
        {u8("abc"), -32767, 1, error(5)},
        {u8("a") + u8(deseretSmall) + u8("b"), 2, 3, text("aXb")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run([&] { return ReplaceRange(c.text, c.from, c.to, u8("X")); }), c.expected)
            << c.text.toStdString() << " " << c.from << ".." << c.to;
}

TEST(InsertAfter, PutsTheInsertionBehindTheFirstNCharacters)
{
    struct {
        QString text;
        qint16 n;
        Outcome expected;
    } cases[] = {
        {u8("abc"), 0, text("Xabc")},  {u8("abc"), 1, text("aXbc")},
        {u8("abc"), 3, text("abcX")},  {u8("abc"), 10, text("abcX")},
        {u8(""), 0, text("X")},        {u8("abc"), 32766, text("abcX")},
        {u8("abc"), -1, error(5)},     {u8("abc"), 32767, error(6)},
        {u8("abc"), -32768, error(5)}, {xs(32767), 32766, text(xs(32766) + u8("Xx"))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run([&] { return InsertAfter(c.text, c.n, u8("X")); }), c.expected)
            << c.text.left(20).toStdString() << " " << c.n;
}

TEST(CapitalizeWords, RaisesWordStartsAndLowersTheRest)
{
    struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"ROCK 'N' ROLL", "Rock 'n' Roll"},
        {"rock 'n roll", "Rock 'n Roll"},
        {"part 2nd take", "Part 2nd Take"},
        {"01-the end.mp3", "01-The End.Mp3"},
        {"the end.mp3", "The End.Mp3"},
        {" abc", " abc"},
        {"(abc)", "(abc)"},
        {"mcdonald", "Mcdonald"},
        {"", ""},
        {"a", "A"},
        {"élan ÉCOLE", "Élan École"},
        {"ßa STRAßE", "ßa Straße"},
        // Characters above 127 are word characters, punctuation included.
        {"x «hello»", "X «hello»"},
        {"a×b", "A×b"},
        {"a_b~c{d}e@f[g`h", "A_B~C{D}E@F[G`H"},
        {"\U00010428\U00010428 \U00010400\U00010400", "\U00010400\U00010428 \U00010400\U00010428"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CapitalizeWords(u8(c.text)), u8(c.expected)) << c.text;
}

TEST(CapitalizeWords, SeparatorsAreExactlyTheListedAsciiRanges)
{
    // The character between "x" and "y": a separator raises the "y", a word character
    // lowers it. The ranges' edges and their neighbours.
    struct {
        char16_t c;
        bool separator;
    } cases[] = {
        {0, true},   {1, true},    {31, true},    {32, true},      {38, true},
        {39, false}, {40, true},   {47, true},    {48, false},     {57, false},
        {58, true},  {64, true},   {65, false},   {90, false},     {91, true},
        {96, true},  {97, false},  {122, false},  {123, true},     {126, true},
        {127, true}, {128, false}, {0xA0, false}, {0x2013, false}, {0xFFFD, false},
    };
    for (const auto& c : cases) {
        const QString in = u8("x") + QChar(c.c) + u8("Y");
        const QString out = CapitalizeWords(in);
        ASSERT_EQ(out.size(), 3) << int(c.c);
        EXPECT_EQ(out.at(2), c.separator ? u'Y' : u'y') << int(c.c);
        EXPECT_EQ(out.at(1).unicode(), QChar(c.c).toLower().unicode()) << int(c.c);
    }
}

TEST(CapitalizeWords, EveryPairOfAsciiCharactersAfterALetter)
{
    // "q" + a + b for every two ASCII characters: a follows a word character, b follows a.
    const auto separator = [](char16_t c) {
        return !((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                 c == u'\'');
    };
    const auto lower = [](char16_t c) { return QChar(c).toLower().unicode(); };
    const auto upper = [](char16_t c) { return QChar(c).toUpper().unicode(); };
    for (char16_t a = 0; a < 128; ++a) {
        for (char16_t b = 0; b < 128; ++b) {
            const QChar in[] = {QChar(u'q'), QChar(a), QChar(b)};
            const QChar want[] = {QChar(u'Q'), QChar(lower(a)),
                                  QChar(separator(a) ? upper(b) : lower(b))};
            const QString out = CapitalizeWords(QString(in, 3));
            const QString expected(want, 3);
            ASSERT_EQ(out, expected) << int(a) << " " << int(b);
        }
    }
}

TEST(CapitalizeWords, LoneSurrogatesStayAsTheyAre)
{
    const QString in = u8("a") + QChar(0xD801) + u8("b") + QChar(0xDC28);
    const QString out = CapitalizeWords(in);
    EXPECT_EQ(out, u8("A") + QChar(0xD801) + u8("b") + QChar(0xDC28));
}

TEST(SuffixCase, ChangesOnlyWhatFollowsTheLastDot)
{
    struct {
        QString text;
        Outcome upper, lower;
    } cases[] = {
        {u8("song.name.mp3"), text("song.name.MP3"), text("song.name.mp3")},
        {u8("SONG.NAME.MP3"), text("SONG.NAME.MP3"), text("SONG.NAME.mp3")},
        {u8("noext"), text("noext"), text("noext")},
        {u8("name."), text("name."), text("name.")},
        {u8(".mp3"), text(".MP3"), text(".mp3")},
        {u8(""), text(""), text("")},
        {u8("a.straße"), text("a.STRAßE"), text("a.straße")},
        {u8("É.École"), text("É.ÉCOLE"), text("É.école")},
        {u8("a.") + u8(deseretSmall), text(u8("a.") + u8(deseretCapital)),
         text(u8("a.") + u8(deseretSmall))},
        // The last dot's position is a 16-bit number.
        {xs(32766) + u8(".mp3"), text(xs(32766) + u8(".MP3")), text(xs(32766) + u8(".mp3"))},
        {xs(32767) + u8(".mp3"), error(6), error(6)},
        {u8("a.") + xs(32767) + u8(".mp3"), error(6), error(6)},
        {xs(40000), text(xs(40000)), text(xs(40000))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run([&] { return UpperSuffix(c.text); }), c.upper)
            << c.text.left(20).toStdString();
        EXPECT_EQ(run([&] { return LowerSuffix(c.text); }), c.lower)
            << c.text.left(20).toStdString();
    }
}

TEST(CaseMapping, NeverChangesTheLength)
{
    // Full mappings would lengthen these ("ß" -> "SS", "ŉ" -> "ʼN", "ﬁ" -> "FI").
    const QString word = u8("ßŉﬁİ");
    EXPECT_EQ(UpperSuffix(u8(".") + word).size(), word.size() + 1);
    EXPECT_EQ(LowerSuffix(u8(".") + word).size(), word.size() + 1);
    EXPECT_EQ(CapitalizeWords(word + u8(" ") + word).size(), 2 * word.size() + 1);
}

TEST(CaseEdits, InPlaceFormsChangeOnlyTheirOwnCopyAndNothingOnFailure)
{
    const QString shared = u8("the end.mp3");
    QString mine = shared;
    capitalizeWordsInPlace(mine);
    EXPECT_EQ(mine, u8("The End.Mp3"));
    upperSuffixInPlace(mine);
    EXPECT_EQ(mine, u8("The End.MP3"));
    lowerSuffixInPlace(mine);
    EXPECT_EQ(mine, u8("The End.mp3"));
    EXPECT_EQ(shared, u8("the end.mp3"));
    EXPECT_EQ(CapitalizeWords(shared), u8("The End.Mp3"));
    EXPECT_EQ(UpperSuffix(shared), u8("the end.MP3"));
    EXPECT_EQ(shared, u8("the end.mp3"));

    const QString tooLong = xs(32767) + u8(".mp3");
    QString edited = tooLong;
    EXPECT_EQ(run([&] {
                  upperSuffixInPlace(edited);
                  return edited;
              }),
              error(6));
    EXPECT_EQ(edited, tooLong);
}

TEST(CaselessSearch, AsciiSearchFindsWhatQtsCaselessSearchFinds)
{
    // Every character against every ASCII letter: the fast search matches exactly where Qt's
    // caseless search does.
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString text = QStringLiteral("x") + QChar(char16_t(c)) + QStringLiteral("y");
        for (char16_t letter = 'a'; letter <= 'z'; ++letter) {
            const QString find = QStringLiteral("x") + QChar(letter) + QStringLiteral("Y");
            ASSERT_EQ(indexOfAsciiCaseless(text, find.toLower(), 0),
                      text.indexOf(find, 0, Qt::CaseInsensitive))
                << "U+" << std::hex << unsigned(c) << " vs " << char(letter);
        }
    }
}

TEST(CaselessSearch, FindsFromAPositionAndAtTheEnds)
{
    const QString text = QStringLiteral("Track TRACK track");
    EXPECT_EQ(indexOfAsciiCaseless(text, u"track", 0), 0);
    EXPECT_EQ(indexOfAsciiCaseless(text, u"track", 1), 6);
    EXPECT_EQ(indexOfAsciiCaseless(text, u"track", 7), 12);
    EXPECT_EQ(indexOfAsciiCaseless(text, u"track", 13), -1);
    EXPECT_EQ(indexOfAsciiCaseless(text, u"track x", 0), -1);
    EXPECT_EQ(indexOfAsciiCaseless(QStringLiteral("ab"), u"abc", 0), -1);
    EXPECT_EQ(indexOfAsciiCaseless(QStringLiteral("😀Ab"), u"ab", 0), 2);
}
