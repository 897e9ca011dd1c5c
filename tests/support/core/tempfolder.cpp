#include "tempfolder.h"

#include "core/names.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly::test {

TempFolder::TempFolder() : m_path(QFileInfo(m_dir.path()).canonicalFilePath())
{
    EXPECT_TRUE(m_dir.isValid());
}

TempFolder::TempFolder(const QStringList& files) : TempFolder()
{
    for (const QString& f : files)
        file(f);
}

TempFolder::~TempFolder()
{
    removeEntries(m_path);
}

void TempFolder::file(const QString& relative, const QByteArray& content)
{
    const QString full = pathOf(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << full.toStdString();
    f.write(content.isNull() ? relative.toUtf8() : content);
}

void TempFolder::folder(const QString& relative)
{
    ASSERT_TRUE(QDir().mkpath(pathOf(relative)));
}

bool TempFolder::hardLink(const QString& existing, const QString& name) const
{
    return ::link(encodePath(pathOf(existing)).constData(), encodePath(pathOf(name)).constData()) ==
           0;
}

bool TempFolder::symbolicLink(const QString& target, const QString& name) const
{
    return ::symlink(encodePath(target).constData(), encodePath(pathOf(name)).constData()) == 0;
}

void TempFolder::remove(const QString& relative)
{
    const QString full = pathOf(relative);
    if (QFileInfo(full).isDir())
        QDir(full).removeRecursively();
    else
        QFile::remove(full);
}

bool TempFolder::exists(const QString& relative) const
{
    return QFileInfo::exists(pathOf(relative));
}

QByteArray TempFolder::read(const QString& relative) const
{
    QFile f(pathOf(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList TempFolder::names(const QString& relative) const
{
    QStringList out =
        QDir(pathOf(relative))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    out.sort();
    return out;
}

QMap<QByteArray, QByteArray> readEntries(const QString& folder)
{
    QMap<QByteArray, QByteArray> out;
    const QByteArray base = encodePath(folder) + '/';
    DIR* d = opendir(base.constData());
    if (!d)
        return out;
    while (const dirent* e = readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat st;
        if (::stat((base + name).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            out.insert(name, folderMark);
            continue;
        }
        QByteArray content;
        const int fd = ::open((base + name).constData(), O_RDONLY | O_CLOEXEC);
        char buffer[65536]; // files of a few MB are read in few calls
        for (ssize_t got; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;)
            content.append(buffer, got);
        if (fd >= 0)
            ::close(fd);
        out.insert(name, content);
    }
    closedir(d);
    return out;
}

bool createEntry(const QString& folder, const QByteArray& name, const QByteArray& content)
{
    // Only an entry of this folder: a name such as "../x" (a preview line, say) would reach
    // another one behind the caller's back.
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/'))
        return false;
    const QByteArray path = encodePath(folder) + '/' + name;
    if (content == folderMark)
        return ::mkdir(path.constData(), 0755) == 0;
    const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return ok;
}

void removeEntries(const QString& folder)
{
    if (folder.isEmpty())
        return;
    // Deepest first, links not followed; the folder itself (level 0) stays.
    nftw(
        encodePath(folder).constData(),
        [](const char* path, const struct stat*, int, FTW* at) {
            if (at->level > 0)
                ::remove(path);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

} // namespace tessaly::test
