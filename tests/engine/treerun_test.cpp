#include "core/foldertree.h"
#include "engine/treerun.h"
#include "enginesupport.h"
#include "faultyfs.h"
#include "tempfolder.h"
#include "testsupport.h"

#include <QProcess>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

struct Read {
    QString relative;
    QStringList files; // or the failure
};

std::vector<Read> readAll(FileSystem& fs, const QString& root, const QString& mask)
{
    std::vector<Read> out;
    TreeReading reading;
    EXPECT_TRUE(readTree(fs, root, Mask(mask), reading, [&](TreeFolder&& f) {
        QStringList files;
        for (const FileEntry& e : f.files)
            files.append(e.name);
        out.push_back({f.relative, f.failure.isEmpty() ? files : QStringList{f.failure}});
    }));
    return out;
}

bool operator==(const Read& a, const Read& b)
{
    return a.relative == b.relative && a.files == b.files;
}

void PrintTo(const Read& r, std::ostream* os)
{
    *os << r.relative.toStdString() << ": " << r.files.join(u", ").toStdString();
}

} // namespace

// The tree as the file list would show each of its folders: the mask, no hidden entries, links
// to folders not followed, no other mount entered (a bind mount of the root would make the
// tree endless), a folder that cannot be read named with its reason and the rest read on.
TEST(FolderTree, ReadsEachFolderAsTheFileListWouldAndOnlyThisTree)
{
    TempFolder t;
    for (const char* name : {"b.MP3", "a.mp3", "c.txt", ".hidden.mp3", ".hiddenfolder/x.mp3",
                             "Album 10/1.mp3", "Album 2/track 10.mp3", "Album 2/track 9.mp3",
                             "Album 2/sub/3.mp3", "empty/sub/deep.mp3", "locked/l.mp3"})
        t.file(u8(name));
    ASSERT_TRUE(t.symbolicLink(u8("Album 2"), u8("link to album")));
    ASSERT_TRUE(t.symbolicLink(u8("a.mp3"), u8("link to a.mp3")));
    t.folder(u8("mounted"));
    const bool bound =
        geteuid() == 0 &&
        QProcess::execute(u8("mount"), {u8("--bind"), t.path(), t.pathOf(u8("mounted"))}) == 0;
    FaultyFileSystem fs;
    fs.unreadable.insert(t.pathOf(u8("locked")), ErrorCode::PermissionDenied);

    const std::vector<Read> expected = {
        {u8("."), {u8("a.mp3"), u8("b.MP3"), u8("link to a.mp3")}},
        {u8("Album 2"), {u8("track 9.mp3"), u8("track 10.mp3")}},
        {u8("Album 2/sub"), {u8("3.mp3")}},
        {u8("Album 10"), {u8("1.mp3")}},
        {u8("empty/sub"), {u8("deep.mp3")}},
        {u8("locked"), {u8("Permission denied")}},
    };
    EXPECT_EQ(readAll(fs, t.path(), u8("*.mp3")), expected);
    if (bound)
        QProcess::execute(u8("umount"), {t.pathOf(u8("mounted"))});
    else
        std::cout << "the bind mount was left out: it needs root\n";

    // A stop ends the reading at once.
    TreeReading reading;
    reading.stop = true;
    int found = 0;
    EXPECT_FALSE(readTree(fs, t.path(), Mask(u8("*")), reading, [&](TreeFolder&&) { ++found; }));
    EXPECT_EQ(found, 0);
}

// The preview of a folder of the pass: each file's new name and what PROCEED would do with it,
// as the window's preview predicts it for the folder it shows.
TEST(TreePreview, PredictsEachFolderOnItsOwnNames)
{
    TreeFolder folder;
    folder.relative = u8(".");
    folder.files = entries({u8("a_1.mp3"), u8("b_2.mp3")});
    folder.names = FolderNames({u8("a_1.mp3"), u8("a 1.mp3"), u8("b_2.mp3")}, false);
    const TreePreviewFolder p = previewFolder(folder, Rules().replace(u8("_"), u8(" ")));
    ASSERT_EQ(p.newNames.size(), 2);
    EXPECT_EQ(p.newNames[0].name, u8("a 1.mp3"));
    EXPECT_EQ(p.predictions[0].outcome, Prediction::NameExists);
    EXPECT_EQ(p.predictions[1].outcome, Prediction::Renamed);
}
