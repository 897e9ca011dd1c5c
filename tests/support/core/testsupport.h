#pragma once

#include "core/dragdata.h"
#include "core/posixfilesystem.h"
#include "core/runtimeerror.h"
#include "core/services.h"

#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>
#include <QMap>
#include <QString>
#include <QStringList>

QT_BEGIN_NAMESPACE
// GoogleTest would print QString as raw bytes.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << '"' << b.toStdString() << '"';
}
// A folder's entries by name, as readEntries gives them.
inline void PrintTo(const QMap<QByteArray, QByteArray>& m, std::ostream* os)
{
    *os << '{';
    for (auto it = m.begin(); it != m.end(); ++it)
        *os << (it == m.begin() ? "" : ", ") << '"' << it.key().toStdString() << "\": \""
            << it.value().toStdString() << '"';
    *os << '}';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << '}';
}
QT_END_NAMESPACE

namespace tessaly::test {

inline QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

inline QStringList strings(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* i : items)
        out.append(QString::fromUtf8(i));
    return out;
}

// List entries of these names, as names read from a folder in UTF-8.
inline QList<FileEntry> entries(const QStringList& names)
{
    QList<FileEntry> out;
    for (const QString& n : names)
        out.append({n, {}});
    return out;
}

// The code of the RunTimeError that `call` throws, 0 when it throws none.
template <typename Call> int codeOf(Call&& call)
{
    try {
        call();
    } catch (const RunTimeError& e) {
        return e.code();
    }
    return 0;
}

// The number of entries in a file list: its entries read one by one, as the handlers read entry
// 1, until the list has no more (error 5). Reading an entry never asks for declared contents.
inline int fileCount(const DragData& data)
{
    int n = 0;
    while (codeOf([&] { data.file(n + 1); }) == 0)
        ++n;
    return n;
}

// Records every box and answers the error report from a queue, then with `whenEmpty`.
class FakeMessageBox : public MessageBoxService {
public:
    struct Shown {
        QString title;
        QString text;
    };
    QList<Shown> errors;
    QList<Shown> warnings;
    QList<Answer> answers;
    Answer whenEmpty = Abort;
    // Called while a box is up, before it is answered (to change the disk, say).
    std::function<void()> whileShown;

    // Queues `count` answers. (QList::fill in Qt 6.4 writes past the end of a list whose
    // front was consumed by takeFirst, so the queue is rebuilt instead.)
    void answerAll(Answer answer, int count) { answers = QList<Answer>(count, answer); }

    Answer runTimeError(const QString& text, const QString& title) override;
    void warning(const QString& title, const QString& text) override;
};

class FakeClipboard : public ClipboardService {
public:
    QString content = QStringLiteral("(untouched)");
    int clears = 0;
    void Clear() override;
    void SetText(const QString& text) override;
    QString text() const override { return content; }
};

// Records the end of the program instead of ending the test process.
class FakeProgramEnd : public ProgramEnd {
public:
    int ends = 0;
    void endNow() override { ++ends; }
};

} // namespace tessaly::test
