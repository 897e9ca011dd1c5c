#include "faultyfs.h"
#include "tempfolder.h"
#include "testsupport.h"

using namespace tessaly;
using tessaly::test::codeOf;
using tessaly::test::FaultyFileSystem;
using tessaly::test::TempFolder;

TEST(FaultyFileSystem, FailsChosenRenamesOnceOrUntilCleared)
{
    TempFolder t({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
    FaultyFileSystem fs;
    fs.failRename(QStringLiteral("a.mp3"), ErrorCode::PermissionDenied);
    fs.failRename(QStringLiteral("b.mp3"), ErrorCode::DiskFull, false);
    const auto renameCode = [&](const char* from, const char* to) {
        return codeOf([&] { fs.rename(t.path(), from, QString::fromUtf8(to)); });
    };

    EXPECT_EQ(renameCode("c.mp3", "c2.mp3"), 0) << "another file is not hit";
    EXPECT_EQ(renameCode("a.mp3", "a2.mp3"), ErrorCode::PermissionDenied);
    EXPECT_TRUE(t.exists(QStringLiteral("a.mp3")));
    EXPECT_EQ(renameCode("a.mp3", "a2.mp3"), 0) << "a fault for once is gone";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(renameCode("b.mp3", "b2.mp3"), ErrorCode::DiskFull);
    EXPECT_TRUE(t.exists(QStringLiteral("b.mp3")));
    fs.clearRenameFaults();
    EXPECT_EQ(renameCode("b.mp3", "b2.mp3"), 0);
    EXPECT_EQ(fs.renameFaultsInjected, 4);
    EXPECT_EQ(t.names(), (QStringList{QStringLiteral("a2.mp3"), QStringLiteral("b2.mp3"),
                                      QStringLiteral("c2.mp3")}));
}

TEST(FaultyFileSystem, AFaultWithoutANameHitsEveryRenameWithItsDescription)
{
    const int codes[] = {ErrorCode::PermissionDenied, ErrorCode::DeviceIO, ErrorCode::DiskFull,
                         ErrorCode::PathFileAccess};
    for (const int code : codes) {
        TempFolder t({QStringLiteral("a.mp3")});
        FaultyFileSystem fs;
        fs.failRename(QString(), code);
        try {
            fs.rename(t.path(), "a.mp3", QStringLiteral("b.mp3"));
            ADD_FAILURE() << "no fault for " << code;
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.code(), code);
            EXPECT_EQ(e.description(), standardDescription(code));
        }
        EXPECT_EQ(t.names(), QStringList{QStringLiteral("a.mp3")});
        fs.rename(t.path(), "a.mp3", QStringLiteral("b.mp3"));
        EXPECT_EQ(t.names(), QStringList{QStringLiteral("b.mp3")});
        EXPECT_EQ(fs.renameFaultsInjected, 1);
    }
}
