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

// The folder to make benchmark folders in: /dev/shm where there is one, else the temp folder.
QString fastScratch();

double milliseconds(const std::function<void()>& work);
double median(std::vector<double> values);

} // namespace tessaly::bench
