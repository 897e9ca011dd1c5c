#pragma once

#include "controls/listbox.h"
#include "engine/renameoperation.h"

#include <span>
#include <utility>

namespace tessaly {

// Lines for a list, appended in one update when flushed: a run of 100,000 files would
// otherwise update the list 100,000 times. Flushed before anything else can look at the list.
// For a list box of lines they wait in its compact form.
class LineBuffer : public RunLog {
public:
    LineBuffer(ListBox* list, qsizetype expected) : m_list(list), m_linesOnly(list->linesOnly())
    {
        if (m_linesOnly)
            m_lines.reserve(expected);
        else
            m_entries.reserve(expected);
    }
    ~LineBuffer() override { flush(); }
    void add(const QString& line) override
    {
        if (m_linesOnly)
            m_lines.append(line);
        else
            m_entries.append(FileEntry{line, {}});
    }
    // A line as pieces of valid UTF-8.
    void add(std::span<const QByteArrayView> pieces) override
    {
        if (m_linesOnly) {
            m_lines.appendUtf8(pieces);
            return;
        }
        QByteArray line;
        for (const QByteArrayView piece : pieces)
            line += piece;
        m_entries.append(FileEntry{QString::fromUtf8(line), {}});
    }
    void flush()
    {
        if (!m_lines.isEmpty())
            m_list->AddItems(std::exchange(m_lines, {}));
        if (!m_entries.isEmpty())
            m_list->AddItems(std::exchange(m_entries, {}));
    }

private:
    ListBox* m_list;
    bool m_linesOnly;
    TextLines m_lines;
    QList<FileEntry> m_entries;
};

} // namespace tessaly
