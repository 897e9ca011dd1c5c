#pragma once

#include "posixfilesystem.h"
#include "services.h"

#include <chrono>
#include <functional>
#include <QString>
#include <QStringList>
#include <vector>

namespace tessaly::bench {

// Services that never block: a benchmark has nobody to answer a box.
class SilentBox : public MessageBoxService {
public:
    int shown = 0;
    Answer runTimeError(const QString&, const QString&) override
    {
        ++shown;
        return Ignore;
    }
    void warning(const QString&, const QString&) override { ++shown; }
};

class NullClipboard : public ClipboardService {
public:
    void Clear() override {}
    void SetText(const QString& t) override { m_text = t; }
    QString text() const override { return m_text; }

private:
    QString m_text;
};

class NoEnd : public ProgramEnd {
public:
    void endNow() override {}
};

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
