// A PROCEED killed at any moment loses nothing: a child process renames a folder of files
// through the real window and is killed with SIGKILL at a random moment of its run. Every file
// is then on disk exactly once, under its old name or its new one; on a folder that ignores
// case, a file caught between the two steps of a case-only rename is under a temporary name
// that is not hidden and begins with its old name, so that a person can put it back.
#include "randomcases.h"
#include "tempfolder.h"
#include "testsupport.h"

#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <iostream>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <random>
#include <thread>

using namespace tessaly;
using namespace tessaly::test;

namespace {

const QByteArray Temporary = ".tessaly-renaming-";

// The files of a folder by name, each with its inode: a file keeps its inode through renames,
// so the inodes tell each file apart without opening it.
QMap<QByteArray, quint64> inodes(const QString& folder)
{
    QMap<QByteArray, quint64> out;
    DIR* d = opendir(encodePath(folder).constData());
    if (!d)
        return out;
    while (const dirent* e = readdir(d))
        if (e->d_name[0] != '.')
            out.insert(QByteArray(e->d_name), quint64(e->d_ino));
    closedir(d);
    return out;
}

QByteArray withSuffixCase(const QByteArray& name, bool upper)
{
    const qsizetype dot = name.lastIndexOf('.');
    return name.left(dot) + (upper ? name.mid(dot).toUpper() : name.mid(dot).toLower());
}

struct Tally {
    int kills = 0, midRun = 0, oldNames = 0, newNames = 0, temporaryNames = 0;
};

// One round: the child starts a PROCEED over the folder and is killed `delayMs` after it said
// it is ready (or runs to its end when negative); returns the milliseconds the PROCEED took
// when it ran to its end.
double round(const QString& folder, bool fold, int delayMs, Tally& tally, QStringList& problems)
{
    const QMap<QByteArray, quint64> before = inodes(folder);
    bool upper = false;
    for (auto it = before.keyBegin(); it != before.keyEnd(); ++it)
        upper = upper || it->endsWith(".mp3");

    QProcess child;
    child.start(QStringLiteral(TESSALY_PROCEED_CHILD),
                {folder, fold ? QStringLiteral("fold") : QStringLiteral("plain")});
    if (!child.waitForStarted() || !child.waitForReadyRead(60000)) {
        problems.append(QStringLiteral("the child did not start"));
        return 0;
    }
    QElapsedTimer clock;
    clock.start();
    if (!child.readLine().startsWith("ready")) {
        problems.append(QStringLiteral("the child did not get ready"));
        return 0;
    }
    double took = 0;
    if (delayMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        child.kill(); // SIGKILL
        child.waitForFinished();
        ++tally.kills;
    } else {
        child.waitForFinished(120000);
        took = double(clock.elapsed());
    }

    // Each file once, under its old name, its new one or a temporary name that starts with its
    // old name; the temporary names are then put back, as a person would.
    QHash<quint64, QByteArray> oldNames;
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        oldNames.insert(it.value(), it.key());
    QHash<quint64, int> seen;
    bool oldSeen = false, newSeen = false;
    const QMap<QByteArray, quint64> after = inodes(folder);
    for (auto it = after.constBegin(); it != after.constEnd(); ++it) {
        const QByteArray& name = it.key();
        const QByteArray old = oldNames.value(it.value());
        if (++seen[it.value()] > 1 || old.isEmpty()) {
            problems.append(QStringLiteral("a file twice or unknown: ") + shown(name));
            continue;
        }
        if (name == old && name != withSuffixCase(old, upper)) {
            ++tally.oldNames;
            oldSeen = true;
        } else if (name == withSuffixCase(old, upper)) {
            ++tally.newNames;
            newSeen = true;
        } else if (fold && name.startsWith(old + Temporary)) {
            ++tally.temporaryNames;
            oldSeen = newSeen = true;
            const QString at = folder + u'/';
            if (::rename((encodePath(at) + name).constData(), (encodePath(at) + old).constData()))
                problems.append(QStringLiteral("could not put back ") + shown(name));
        } else {
            problems.append(QStringLiteral("renamed to neither name: ") + shown(old) +
                            QStringLiteral(" -> ") + shown(name));
        }
    }
    if (seen.size() != before.size())
        problems.append(QStringLiteral("%1 files lost").arg(before.size() - seen.size()));
    tally.midRun += oldSeen && newSeen;
    return took;
}

} // namespace

TEST(KilledProceed, EveryFileIsThereOnceUnderItsOldOrNewName)
{
    const QByteArray seedText = qgetenv("TESSALY_KILL_SEED");
    const quint64 seed = seedText.isEmpty() ? std::random_device()() : seedText.toULongLong();
    std::cout << "kill test seed " << seed << " (TESSALY_KILL_SEED repeats it)\n";
    Random random(seed);
    Tally tally;
    QStringList problems;
    // A folder of 20,000 files, and one that ignores case (played through the system calls,
    // which read the folder for each spelling they look up, so it holds fewer files).
    for (const auto& [fold, files, kills] : {std::tuple{false, 20000, 16}, {true, 600, 8}}) {
        // In memory where the machine has a place for it: the test reads the folder often.
        QTemporaryDir place(QDir(QStringLiteral("/dev/shm")).exists()
                                ? QStringLiteral("/dev/shm/tessaly-kill-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/tessaly-kill-XXXXXX"));
        ASSERT_TRUE(place.isValid());
        const QString folder = place.path();
        for (int i = 0; i < files; ++i)
            createEntry(folder, QStringLiteral("track %1.mp3").arg(i, 5, 10, QChar(u'0')).toUtf8(),
                        "file " + QByteArray::number(i));
        const double took = round(folder, fold, -1, tally, problems); // how long a run is
        for (int k = 0; k < kills && problems.isEmpty(); ++k)
            round(folder, fold, random.below(int(took * 1.2) + 1), tally, problems);
        ASSERT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    }
    std::cout << tally.kills << " kills, " << tally.midRun << " in the middle of the renames; "
              << tally.oldNames << " old names, " << tally.newNames << " new ones, "
              << tally.temporaryNames << " temporary ones put back\n";
    EXPECT_GE(tally.kills, 20);
    EXPECT_GT(tally.midRun, 0) << "no kill came during the renames";
}
