#include "benchsupport.h"

#include <algorithm>
#include <fcntl.h>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace tessaly::bench {

QString MusicFolder::nameOf(int i)
{
    return QStringLiteral("%1_artist_name_-_track_title.mp3").arg(i, 6, 10, QLatin1Char('0'));
}

namespace {

// Makes the folder and its first `count` music files, empty.
void makeMusicFiles(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QByteArray base = QFile::encodeName(folder) + '/';
    for (int i = 0; i < count; ++i) {
        const int fd = ::open((base + MusicFolder::nameOf(i).toUtf8()).constData(),
                              O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

} // namespace

MusicFolder::MusicFolder(const QString& under, int count)
{
    m_path = QDir(under).filePath(QStringLiteral("tessaly-bench-%1-%2").arg(getpid()).arg(count));
    QDir(m_path).removeRecursively();
    makeMusicFiles(m_path, count);
    // On a disk the kernel writes the new entries back in the background, taking processor
    // time from what is measured next: let it finish first.
    ::sync();
}

MusicFolder::~MusicFolder()
{
    QDir(m_path).removeRecursively();
    ::sync();
}

MusicTree::MusicTree(const QString& under, int folders)
{
    m_path = QDir(under).filePath(QStringLiteral("tessaly-tree-%1-%2").arg(getpid()).arg(folders));
    QDir(m_path).removeRecursively();
    // 10 artists of 10 albums each, the discs of an album making up the rest.
    const int discs = std::max(1, folders / 100);
    for (int k = 0; k < folders; ++k)
        m_folders.append(QStringLiteral("artist_%1/album_%2/disc_%3")
                             .arg(k / (10 * discs))
                             .arg(k / discs % 10)
                             .arg(k % discs));
    for (const QString& folder : std::as_const(m_folders))
        makeMusicFiles(m_path + u'/' + folder, FilesPerFolder);
    ::sync();
}

MusicTree::~MusicTree()
{
    QDir(m_path).removeRecursively();
    ::sync();
}

QString fastScratch()
{
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                              : QDir::tempPath();
}

double milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace tessaly::bench
