#include "core/posixfilesystem.h"
#include "engine/renamehistory.h"
#include "enginesupport.h"
#include "tempfolder.h"
#include "testsupport.h"

using namespace tessaly;
using tessaly::test::FakeMessageBox;
using tessaly::test::FakeProgramEnd;
using tessaly::test::ListLog;
using tessaly::test::TempFolder;
using tessaly::test::u8;

namespace {

// The steps of taking the batch back (undo) or of doing it again, as "from -> to".
QStringList texts(const RenameBatch& batch, bool undo)
{
    QStringList out;
    for (qsizetype i = 0; i < batch.size(); ++i) {
        const RenameStep s = undo ? batch.undoStep(i) : batch.redoStep(i);
        out.append(s.from.name + u8(" -> ") + s.to.name);
    }
    return out;
}

} // namespace

TEST(RenameBatch, UndoTakesTheLastRenameBackFirstAndRedoDoesTheFirstFirst)
{
    RenameBatch batch(u8("/music"));
    const QByteArray latin1 = "Caf\xe9.mp3"; // not UTF-8: shown as Latin-1, renamed by its bytes
    batch.add("a.mp3", "b.mp3");
    batch.add(latin1, u8("Café.mp3").toUtf8());
    batch.add("b.mp3", "c.mp3"); // took the name the first rename left
    EXPECT_EQ(texts(batch, true), QStringList({u8("c.mp3 -> b.mp3"), u8("Café.mp3 -> Café.mp3"),
                                               u8("b.mp3 -> a.mp3")}));
    EXPECT_EQ(texts(batch, false), QStringList({u8("a.mp3 -> b.mp3"), u8("Café.mp3 -> Café.mp3"),
                                                u8("b.mp3 -> c.mp3")}));
    const RenameStep back = batch.undoStep(1);
    EXPECT_EQ(back.from.bytes(), u8("Café.mp3").toUtf8());
    EXPECT_EQ(back.to.bytes(), latin1) << "the original bytes, not their UTF-8 text";

    // A file that could not be taken back keeps its new name: doing the batch again leaves it.
    RenameBatch undone = batch;
    undone.keepUndone({true, false, true}); // in undo order: c, Café, b
    EXPECT_EQ(texts(undone, false), QStringList({u8("a.mp3 -> b.mp3"), u8("b.mp3 -> c.mp3")}));
    RenameBatch redone = batch;
    redone.keepRedone({false, true, true});
    EXPECT_EQ(texts(redone, true), QStringList({u8("c.mp3 -> b.mp3"), u8("Café.mp3 -> Café.mp3")}));
}

TEST(RenameBatch, TakingBackLogsEachFileInTheRunsFormsAndNeverReplacesAFile)
{
    // After a PROCEED of a -> A and b -> B, another program took "b" and removed "A".
    TempFolder t;
    t.file(u8("B"), "was b");
    t.file(u8("b"), "newcomer");
    t.file(u8("c2"), "was c");
    PosixFileSystem fs;
    RenameHistory history;
    RenameBatch& batch = history.startEntry(t.path());
    batch.add("a", "A");
    batch.add("b", "B");
    batch.add("c", "c2");

    FakeMessageBox box;
    FakeProgramEnd end;
    RunErrorReport report(box, end);
    QStringList log;
    ListLog lines(log);
    undoRenames({fs, report, lines, history});

    EXPECT_EQ(log, QStringList({u8("File \"c2\" renamed to \"c\""), u8("File \"B\" already exist"),
                                u8("File a not found")}));
    // Only the file taken back is done again by a redo.
    EXPECT_FALSE(history.canUndo());
    ASSERT_TRUE(history.canRedo());
    EXPECT_EQ(texts(*history.nextToRedo(), false), QStringList{u8("c -> c2")});
    EXPECT_EQ(t.names(), QStringList({u8("B"), u8("b"), u8("c")}));
    EXPECT_EQ(t.read(u8("b")), "newcomer");
    EXPECT_EQ(t.read(u8("B")), "was b");
    EXPECT_TRUE(box.errors.isEmpty());
}
