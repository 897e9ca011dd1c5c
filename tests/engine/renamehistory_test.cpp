#include "core/posixfilesystem.h"
#include "engine/renamehistory.h"
#include "enginesupport.h"
#include "faultyfs.h"
#include "tempfolder.h"
#include "testsupport.h"

#include <QThread>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// The steps of taking the entry back (undo) or of doing it again, as "from -> to".
QStringList texts(const HistoryEntry& entry, bool undo)
{
    QStringList out;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        const RenameStep s = undo ? entry.undoStep(i) : entry.redoStep(i);
        out.append(s.from.name + u8(" -> ") + s.to.name);
    }
    return out;
}

// A history over a real folder, with a PROCEED's entry to start from.
struct History {
    FaultyFileSystem fs;
    FakeMessageBox box;
    FakeProgramEnd end;
    RunErrorReport report{box, end};
    QStringList log;
    ListLog lines{log};
    RenameHistory history;
    const RenameServices services{fs, report, lines, history};

    void proceed(const QString& folder,
                 std::initializer_list<std::pair<const char*, const char*>> renames)
    {
        RenameOperation rename(services, RenameOperation::Kind::Proceed, folder);
        rename.enterFolder(folder, qsizetype(renames.size()));
        for (const auto& [from, to] : renames)
            rename.rename({u8(from)}, {u8(to)});
    }
};

} // namespace

TEST(HistoryEntry, KeepsEachFilesNamesAsBytesOnDisk)
{
    HistoryEntry entry(u8("/music"));
    const qsizetype here = entry.addFolder(u8("."));
    const QByteArray latin1 = "Caf\xe9.mp3"; // not UTF-8: shown as Latin-1, renamed by its bytes
    entry.add(here, "a.mp3", "b.mp3", {});
    entry.add(here, latin1, u8("Café.mp3").toUtf8(), {});
    EXPECT_EQ(texts(entry, true), QStringList({u8("b.mp3 -> a.mp3"), u8("Café.mp3 -> Café.mp3")}));
    EXPECT_EQ(texts(entry, false), QStringList({u8("a.mp3 -> b.mp3"), u8("Café.mp3 -> Café.mp3")}));
    EXPECT_EQ(entry.undoStep(1).to.bytes(), latin1) << "the original bytes, not their UTF-8 text";
    entry.dropFiles([](qsizetype i) { return i == 0; });
    EXPECT_EQ(texts(entry, false), QStringList{u8("Café.mp3 -> Café.mp3")});
    EXPECT_EQ(entry.undoStep(0).from.bytes(), u8("Café.mp3").toUtf8());
}

// An undo and a redo while another program changes the folder: a file whose old name is taken
// or whose rename the report's Ignore passed over waits for the next undo; one that is gone or
// that another file has replaced leaves the history, which never locks on it.
TEST(RenameHistory, FilesThatFailWaitAndFilesThatAreGoneOrReplacedAreLetGo)
{
    TempFolder t({u8("a_b.mp3"), u8("c_d.mp3"), u8("e_f.mp3")});
    History h;
    h.proceed(t.path(), {{"a_b.mp3", "a b.mp3"}, {"c_d.mp3", "c d.mp3"}, {"e_f.mp3", "e f.mp3"}});
    FaultyFileSystem& fs = h.fs;
    FakeMessageBox& box = h.box;
    QStringList& log = h.log;
    RenameHistory& history = h.history;
    const QString header = u8("Undo of the renames in \"") + t.path() + u8("\"");
    const QString redoHeader = u8("Redo of the renames in \"") + t.path() + u8("\"");
    struct {
        const char* meanwhile;
        std::function<void()> act;
        bool undo;
        QStringList log;
        QStringList names;
        bool canUndo, canRedo;
    } steps[] = {
        {"another program takes the old names",
         [&] {
             t.file(u8("a_b.mp3"), "intruder");
             t.file(u8("e_f.mp3"), "intruder");
             fs.failRename(u8("c d.mp3"), ErrorCode::PermissionDenied);
             box.answers = {MessageBoxService::Ignore};
         },
         true,
         {header, u8("File \"e f.mp3\" already exist"),
          u8("File \"c d.mp3\" not renamed: Permission denied"),
          u8("File \"a b.mp3\" already exist"),
          u8("Files not taken back: 3 (Undo tries them again)")},
         {u8("a b.mp3"), u8("a_b.mp3"), u8("c d.mp3"), u8("e f.mp3"), u8("e_f.mp3")},
         true,
         false},
        {"one intruder leaves: only the waiting files are tried",
         [&] { t.remove(u8("e_f.mp3")); },
         true,
         {header, u8("File \"e f.mp3\" renamed to \"e_f.mp3\""),
          u8("File \"c d.mp3\" renamed to \"c_d.mp3\""), u8("File \"a b.mp3\" already exist"),
          u8("Files not taken back: 1 (Undo tries them again)")},
         {u8("a b.mp3"), u8("a_b.mp3"), u8("c_d.mp3"), u8("e_f.mp3")},
         true,
         false},
        {"the other leaves",
         [&] { t.remove(u8("a_b.mp3")); },
         true,
         {header, u8("File \"a b.mp3\" renamed to \"a_b.mp3\"")},
         {u8("a_b.mp3"), u8("c_d.mp3"), u8("e_f.mp3")},
         false,
         true},
        {"nothing",
         [] {},
         false,
         {redoHeader, u8("File \"a_b.mp3\" renamed to \"a b.mp3\""),
          u8("File \"c_d.mp3\" renamed to \"c d.mp3\""),
          u8("File \"e_f.mp3\" renamed to \"e f.mp3\"")},
         {u8("a b.mp3"), u8("c d.mp3"), u8("e f.mp3")},
         true,
         false},
        {"one file is moved away, one replaced by another, one deleted and made anew",
         [&] {
             t.remove(u8("c d.mp3"));
             t.file(u8("other.mp3"), "other");
             ASSERT_TRUE(QFile::remove(t.pathOf(u8("a b.mp3"))));
             ASSERT_TRUE(QFile::rename(t.pathOf(u8("other.mp3")), t.pathOf(u8("a b.mp3"))));
             t.remove(u8("e f.mp3"));
             QThread::msleep(20); // a birth time of its own, where the inode number comes back
             t.file(u8("e f.mp3"), "new");
         },
         true,
         {header, u8("File \"e f.mp3\" is not the file renamed; left alone"),
          u8("File c d.mp3 not found"), u8("File \"a b.mp3\" is not the file renamed; left alone")},
         {u8("a b.mp3"), u8("e f.mp3")},
         false,
         false},
    };
    for (const auto& step : steps) {
        step.act();
        log.clear();
        replayRenames(h.services, step.undo);
        EXPECT_EQ(log, step.log) << step.meanwhile;
        EXPECT_EQ(t.names(), step.names) << step.meanwhile;
        EXPECT_EQ(history.canUndo(), step.canUndo) << step.meanwhile;
        EXPECT_EQ(history.canRedo(), step.canRedo) << step.meanwhile;
    }
    EXPECT_EQ(t.read(u8("a b.mp3")), "other");
    EXPECT_EQ(box.errors.size(), 1);
}

TEST(RenameHistory, AProceedAfterAnUndoInPartKeepsOnlyTheFilesStillDone)
{
    TempFolder t({u8("a"), u8("b")});
    History h;
    h.proceed(t.path(), {{"a", "A1"}, {"b", "B1"}});
    t.file(u8("a"), "intruder");
    replayRenames(h.services, true); // b back, a waits
    EXPECT_FALSE(h.history.canRedo()) << "an undo under way is finished first";

    h.proceed(t.path(), {{"b", "B2"}});
    RenameHistory& history = h.history;
    ASSERT_TRUE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(texts(*history.nextToUndo(), true), QStringList{u8("B2 -> b")});
    replayRenames(h.services, true);
    ASSERT_TRUE(history.canUndo()) << "the first PROCEED's file still done";
    EXPECT_EQ(texts(*history.nextToUndo(), true), QStringList{u8("A1 -> a")});
    t.remove(u8("a"));
    replayRenames(h.services, true);
    EXPECT_EQ(t.names(), QStringList({u8("a"), u8("b")}));
    EXPECT_TRUE(history.canRedo());
}
