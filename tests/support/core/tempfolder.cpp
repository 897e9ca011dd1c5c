#include "tempfolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

} // namespace tessaly::test
