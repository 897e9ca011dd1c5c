#include "core/nameset.h"
#include "core/posixfilesystem.h"
#include "core/runtimeerror.h"
#include "playedcalls.h"
#include "tempfolder.h"
#include "testsupport.h"

#include <QSet>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// A text with one UTF-16 unit of its own, as names that are not UTF-8 carry their bytes.
QString unit(char16_t u)
{
    return QString(QChar(u));
}

} // namespace

TEST(NameSet, FindsEveryNameItHoldsAndNoOther)
{
    // Enough names to grow the table many times; the names held elsewhere, as the set needs.
    QStringList names;
    for (int i = 0; i < 20000; ++i)
        names.append(QStringLiteral("%1 track.mp3").arg(i));
    NameSet set;
    for (qsizetype i = 0; i < names.size(); ++i)
        ASSERT_TRUE(set.insert(names[i])) << i;
    EXPECT_EQ(set.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        ASSERT_EQ(set.indexOf(names[i]), i);
        ASSERT_EQ(set.at(i), names[i]);
    }
    const QString again = names[123]; // another string, the same text
    EXPECT_FALSE(set.insert(again));
    EXPECT_EQ(set.size(), names.size());
    for (const char* absent : {"", "20000 track.mp3", "1 track.MP3", "1 track.mp3 "})
        EXPECT_EQ(set.indexOf(u8(absent)), -1) << absent;
    EXPECT_EQ(NameSet().indexOf(QStringLiteral("x")), -1);
}

TEST(NameSet, AgreesWithAHashOfStringsOnRandomNames)
{
    // Short names from few letters: many equal names, many shared hash bits.
    std::mt19937 random(7);
    QStringList held;
    QSet<QString> reference;
    NameSet set;
    set.reserve(50);
    for (int i = 0; i < 5000; ++i) {
        QString name;
        for (int n = int(random() % 4); n >= 0; --n)
            name += QChar(u"aAbé."[random() % 5]);
        held.append(name);
        ASSERT_EQ(set.insert(held.constLast()), !reference.contains(name)) << i;
        reference.insert(name);
        const QString probe = QString(QChar(u"aAbé."[random() % 5])) + name;
        ASSERT_EQ(set.contains(probe), reference.contains(probe));
    }
    EXPECT_EQ(set.size(), reference.size());
}

TEST(NewNames, ValidNamesAreThoseAFileCanBeGiven)
{
    const QString multibyte = u8("é"); // 2 bytes in UTF-8
    const QString wide = u8("日");     // 3 bytes
    struct {
        const char* what;
        QString name;
        bool valid;
    } cases[] = {
        {"plain", QStringLiteral("song.mp3"), true},
        {"empty", QString(), false},
        {"dot", QStringLiteral("."), false},
        {"dot dot", QStringLiteral(".."), false},
        {"three dots", QStringLiteral("..."), true},
        {"dot file", QStringLiteral(".hidden"), true},
        {"slash first", QStringLiteral("/a"), false},
        {"slash in the tail", QStringLiteral("abcdefgh/"), false},
        {"slash in a word", QStringLiteral("ab/cdefgh"), false},
        {"NUL", QStringLiteral("ab") + QChar(0) + QStringLiteral("cdefgh"), false},
        {"NUL at the end", QStringLiteral("abcd") + QChar(0), false},
        {"backslash", QStringLiteral("a\\b"), true},
        {"255 bytes", QString(255, u'a'), true},
        {"256 bytes", QString(256, u'a'), false},
        {"127 two-byte letters and one", QString(127, multibyte[0]) + u'a', true},
        {"128 two-byte letters", QString(128, multibyte[0]), false},
        {"85 three-byte letters", QString(85, wide[0]), true},
        {"86 three-byte letters", QString(86, wide[0]), false},
        {"255 bytes that are not UTF-8", QString(255, QChar(char16_t(0xDCE9))), true},
        {"lone surrogate", QStringLiteral("a") + unit(0xD800), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(isValidNewName(c.name), c.valid);
        EXPECT_EQ(checkNewName(c.name).valid, c.valid);
        EXPECT_EQ(NewName(c.name).valid(), c.valid);
        // What the rename itself checks: the bytes it would write.
        const QByteArray bytes = encodePath(c.name);
        const bool bytesValid = !bytes.isEmpty() && bytes != "." && bytes != ".." &&
                                !bytes.contains('/') && !bytes.contains('\0') &&
                                bytes.size() <= 255;
        EXPECT_EQ(c.valid, bytesValid);
    }
}

TEST(NewNames, AppendedUtf8IsQtsOwnOrNothingAtAll)
{
    // Random texts over units of every width, surrogate pairs and lone halves, in runs long
    // and short enough to meet the four-at-a-time path at every offset.
    const char16_t units[] = {u'a',  u'/',   0x7F,   0x80,   0xE9,   0x7FF,
                              0x800, 0x6771, 0xFFFD, 0xD83D, 0xDE00, 0xDC80};
    std::mt19937 random(20261208);
    for (int round = 0; round < 5000; ++round) {
        QString text;
        const int length = int(random() % 12);
        for (int i = 0; i < length; ++i) {
            const bool ascii = random() % 3 != 0;
            text += QChar(ascii ? char16_t(u'a' + random() % 26) : units[random() % 12]);
        }
        QByteArray out("prefix");
        const bool encoded = appendUtf8(out, text);
        ASSERT_EQ(encoded, text.isValidUtf16()) << round;
        ASSERT_EQ(out, encoded ? "prefix" + text.toUtf8() : QByteArray("prefix")) << round;
    }
}

TEST(NewNames, ExactNamesAreEqualExactlyWhenTheirBytesAre)
{
    // A surrogate at every place of a four-unit word, and in the units left over.
    for (int length = 1; length <= 9; ++length) {
        for (int at = 0; at < length; ++at) {
            for (const char16_t s : {char16_t(0xD800), char16_t(0xDBFF), char16_t(0xDC00),
                                     char16_t(0xDCE9), char16_t(0xDFFF)}) {
                QString text(length, u'x');
                text[at] = QChar(s);
                ASSERT_FALSE(isExactName(text)) << length << ' ' << at;
                ASSERT_FALSE(checkNewName(text).exact);
            }
            QString near(length, u'x');
            near[at] = QChar(char16_t(at % 2 ? 0xD7FF : 0xE000)); // just outside
            ASSERT_TRUE(isExactName(near));
        }
    }
    struct {
        const char* what;
        QString text;
    } cases[] = {
        {"plain", QStringLiteral("song.mp3")},
        {"accents", u8("Čeština – Ärzte.mp3")},
        {"emoji (a pair)", u8("🎵 song.mp3")},
        {"a byte that is not UTF-8", QStringLiteral("caf") + unit(0xDCE9)},
        {"bytes that make UTF-8", unit(0xDCC3) + unit(0xDCA9)},
        {"a pair of a high surrogate and a byte", unit(0xD83C) + unit(0xDCB5)},
        {"half of a pair, which stands for no byte", u8("ßß") + unit(0xDE00) + u8(".txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The exact name reads back from the bytes a rename would write.
        EXPECT_EQ(exactName(c.text), decodePath(encodePath(c.text)));
        EXPECT_EQ(encodePath(exactName(c.text)), encodePath(c.text));
        // A rename's new name is that exact name, with those bytes.
        const NewName given(c.text);
        EXPECT_EQ(given.text(), exactName(c.text));
        EXPECT_EQ(given.bytes(), encodePath(c.text));
        if (isExactName(c.text)) {
            EXPECT_EQ(exactName(c.text), c.text);
        }
    }
    const QByteArray latin1 = "caf\xe9";
    const FileEntry entry = decodeFileName(latin1.constData(), latin1.size());
    EXPECT_EQ(encodePath(exactName(entry)), latin1);
    EXPECT_NE(exactName(entry), exactName(u8("café"))) << "different bytes, different names";
}

TEST(FolderNames, ComparesExactlyOrWithoutRegardToCase)
{
    const QStringList names = {u8("Song.mp3"), u8("ÄRZTE.mp3"), u8("song.MP3"), u8("straße")};
    const FolderNames exact(names, false);
    EXPECT_FALSE(exact.foldsCase());
    EXPECT_EQ(exact.size(), 4);
    EXPECT_EQ(exact.indexOf(exact.key(u8("song.MP3"))), 2);
    EXPECT_EQ(exact.indexOf(exact.key(u8("SONG.MP3"))), -1);
    EXPECT_EQ(exact.spelling(1), u8("ÄRZTE.mp3"));

    const FolderNames folding(names, true);
    EXPECT_TRUE(folding.foldsCase());
    EXPECT_EQ(folding.size(), 3) << "two spellings of one name stand as the first";
    const qsizetype song = folding.indexOf(folding.key(u8("SONG.mp3")));
    ASSERT_GE(song, 0);
    EXPECT_EQ(folding.spelling(song), u8("Song.mp3"));
    const qsizetype arzte = folding.indexOf(folding.key(u8("ärzte.MP3")));
    ASSERT_GE(arzte, 0);
    EXPECT_EQ(folding.spelling(arzte), u8("ÄRZTE.mp3"));
    // Simple case folding, as the rename's own comparison: lengths never change.
    EXPECT_EQ(folding.indexOf(folding.key(u8("STRASSE"))), -1);
    EXPECT_GE(folding.indexOf(folding.key(u8("STRAßE"))), 0);
}

TEST(FolderNames, SharingTheShownCopiesKeepsEachNameOnceAndEveryLookupRight)
{
    for (const bool foldsCase : {false, true}) {
        SCOPED_TRACE(foldsCase ? "folding case" : "exact");
        QList<FileEntry> shown;
        FolderNames names;
        {
            // The folder's own texts go with this scope once shared: a lookup that still used
            // one would read freed memory (the sanitizer build tells).
            QStringList read;
            for (int i = 0; i < 1000; ++i)
                read.append(QStringLiteral("%1 Track.mp3").arg(i));
            read += {u8("song.MP3"), u8("Song.mp3")};
            names = FolderNames(read, foldsCase);
            for (qsizetype i = read.size() - 1; i >= 0; --i)
                shown.append({QString(read[i].constData(), read[i].size()), {}});
            shown.append({u8("x\u00e9"), true}); // bytes "x\xe9": held in another form
        }
        for (const FileEntry& e : std::as_const(shown))
            names.share(e);
        for (const FileEntry& e : std::as_const(shown).first(shown.size() - 1)) {
            const qsizetype i = names.indexOf(names.key(e.name));
            ASSERT_GE(i, 0) << qPrintable(e.name);
            if (names.spelling(i) == e.name) {
                EXPECT_EQ(names.spelling(i).constData(), e.name.constData()) << qPrintable(e.name);
            }
        }
        // Where two spellings meet, the first read still stands for both.
        if (foldsCase) {
            EXPECT_EQ(names.spelling(names.indexOf(names.key(u8("SONG.mp3")))), u8("song.MP3"));
        }
        EXPECT_EQ(names.indexOf(names.key(u8("x\u00e9"))), -1);
    }
}

TEST(FolderListing, OneReadGivesTheFilesAndEveryNameInTheFolder)
{
    TempFolder t({u8("b.mp3"), u8("a.txt"), u8(".hidden.mp3")});
    t.folder(u8("Album"));
    t.folder(u8(".config"));
    ASSERT_TRUE(createEntry(t.path(), "caf\xe9.mp3", {}));
    ASSERT_TRUE(t.symbolicLink(u8("a.txt"), u8("link.mp3")));
    ASSERT_TRUE(t.symbolicLink(u8("nowhere"), u8("broken.mp3")));
    ASSERT_EQ(mkfifo(encodePath(t.pathOf(u8("pipe"))).constData(), 0644), 0);

    PosixFileSystem fs;
    const FolderListing listing = fs.listing(t.path());
    QStringList files;
    for (const FileEntry& f : listing.files)
        files.append(f.name);
    files.sort();
    QStringList expected;
    for (const FileEntry& f : fs.files(t.path()))
        expected.append(f.name);
    expected.sort();
    EXPECT_EQ(files, expected) << "the files as files() lists them";

    EXPECT_FALSE(listing.names.foldsCase());
    const QString rawName = decodePath("caf\xe9.mp3");
    for (const QString& name :
         {u8("b.mp3"), u8("a.txt"), u8(".hidden.mp3"), u8("Album"), u8(".config"), u8("link.mp3"),
          u8("broken.mp3"), u8("pipe"), rawName})
        EXPECT_GE(listing.names.indexOf(name), 0) << name.toStdString();
    EXPECT_EQ(listing.names.size(), 9) << "no \".\" or \"..\"";
    EXPECT_EQ(listing.names.indexOf(u8("café.mp3")), -1);

    EXPECT_EQ(codeOf([&] { fs.listing(t.pathOf(u8("gone"))); }), ErrorCode::PathNotFound);
}

TEST(FolderListing, TellsAFolderThatFoldsCaseWithoutWritingToIt)
{
    struct {
        const char* what;
        QStringList names;
        bool folding;
        bool folds;
    } cases[] = {
        {"case-sensitive", {u8("Song.mp3")}, false, false},
        {"case-insensitive", {u8("Song.mp3"), u8("other")}, true, true},
        {"no letters", {u8("01 - 02")}, true, false},
        {"letters only outside ASCII", {u8("01 - 02"), u8("ÄÖ")}, true, true},
        {"two names apart in case", {u8("a"), u8("A")}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder t(c.names);
        PlayedCalls folding;
        folding.foldCase = true;
        PosixFileSystem real;
        PosixFileSystem simulated(folding);
        PosixFileSystem& fs = c.folding ? simulated : real;
        const QStringList before = t.names();
        const FolderListing listing = fs.listing(t.path());
        EXPECT_EQ(listing.names.foldsCase(), c.folds);
        EXPECT_EQ(fs.foldsCase(t.path()), c.folds) << "the same answer as the probe on its own";
        EXPECT_EQ(t.names(), before);
        if (c.folds) {
            EXPECT_GE(listing.names.indexOf(listing.names.key(c.names[1].toUpper())), 0);
        }
    }
}
