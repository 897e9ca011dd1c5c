#pragma once

// What the engine's tests share: rules built in one expression, a log that keeps its lines and
// a file system that only renames. Header only: the engine's tests link the engine, the support
// library does not.

#include "core/filesystem.h"
#include "engine/renameoperation.h"
#include "engine/renamerules.h"

#include <functional>
#include <QList>
#include <QPair>
#include <QStringList>

namespace tessaly::test {

// Rules, e.g. Rules().replace(u8("_"), u8(" ")).all().capitalize().
class Rules {
public:
    Rules& range(qint16 from, qint16 to, const QString& with = {})
    {
        r.rangeOn = true;
        r.rangeFrom = from;
        r.rangeTo = to;
        r.rangeWith = with;
        return *this;
    }
    Rules& replace(const QString& find, const QString& with)
    {
        r.replaceOn = true;
        r.replaceFind = find;
        r.replaceWith = with;
        return *this;
    }
    Rules& erase(const QString& text)
    {
        r.eraseOn = true;
        r.eraseText = text;
        return *this;
    }
    Rules& all()
    {
        r.allMatches = true;
        return *this;
    }
    Rules& insert(qint16 pos, const QString& text)
    {
        r.insertOn = true;
        r.insertPos = pos;
        r.insertText = text;
        return *this;
    }
    Rules& capitalize()
    {
        r.capitalizeOn = true;
        return *this;
    }
    Rules& upperSuffix()
    {
        r.upperSuffixOn = true;
        return *this;
    }
    Rules& lowerSuffix()
    {
        r.lowerSuffixOn = true;
        return *this;
    }
    operator const RenameRules&() const { return r; }

    RenameRules r;
};

// A log whose lines go to a list; `before`, where set, sees each line first (and may throw).
class ListLog : public RunLog {
public:
    explicit ListLog(QStringList& lines, std::function<void(const QString&)> before = {})
        : m_lines(lines), m_before(std::move(before))
    {
    }
    void add(const QString& line) override
    {
        if (m_before)
            m_before(line);
        m_lines.append(line);
    }
    using RunLog::add;

private:
    QStringList& m_lines;
    std::function<void(const QString&)> m_before;
};

// A file system that only renames, and only records what it is asked to rename: `onRename`,
// where set, decides the fate of each rename first (it throws RunTimeError to fail it).
class RenamesOnly : public FileSystem {
public:
    std::function<void(const QByteArray& oldName, const NewName& newName)> onRename;
    QList<QPair<QByteArray, QString>> renames; // old bytes, new name

    QList<Volume> volumes() override { return {}; }
    QStringList subfolders(const QString&) override { return {}; }
    QList<FileEntry> files(const QString&) override { return {}; }
    int attributes(const QString&) override { return FolderAttribute; }
    QString currentFolder() override { return QStringLiteral("/"); }
    void setCurrentFolder(const QString&) override {}
    void rename(const QString&, const QByteArray& oldName, const NewName& newName) override
    {
        if (onRename)
            onRename(oldName, newName);
        // The bytes are handed over in place, valid for the call only.
        renames.append({QByteArray(oldName.constData(), oldName.size()), newName.text()});
    }
};

} // namespace tessaly::test
