#pragma once

#include "core/posixfilesystem.h"
#include "core/services.h"
#include "testsupport.h"

#include <chrono>
#include <functional>
#include <QString>
#include <QStringList>
#include <vector>

namespace tessaly::bench {

// The tests' fakes. A benchmark has nobody to answer a box: the box answers Ignore, and a
// benchmark that showed one fails after printing its figures.
class SilentBox : public test::FakeMessageBox {
public:
    SilentBox() { whenEmpty = Ignore; }
    qsizetype shown() const { return errors.size() + warnings.size(); }
};
using test::FakeClipboard;
using test::FakeProgramEnd;

// A folder of `count` empty files named like a music collection, removed on destruction.
class MusicFolder {
public:
    MusicFolder(const QString& under, int count);
    ~MusicFolder();
    const QString& path() const { return m_path; }
    static QString nameOf(int i);

private:
    QString m_path;
};

// A library of `folders` album folders, three levels deep (artist, album, disc), each with
// 10 empty files named as in MusicFolder; removed on destruction.
class MusicTree {
public:
    MusicTree(const QString& under, int folders);
    ~MusicTree();
    const QString& path() const { return m_path; }
    // Each album folder, relative to the tree's root.
    const QStringList& folders() const { return m_folders; }
    static constexpr int FilesPerFolder = 10;

private:
    QString m_path;
    QStringList m_folders;
};

// The folder to make benchmark folders in: /dev/shm where there is one, else the temp folder.
QString fastScratch();

double milliseconds(const std::function<void()>& work);
double median(std::vector<double> values);

} // namespace tessaly::bench
