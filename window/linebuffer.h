#pragma once

#include "listbox.h"

#include <utility>

namespace tessaly {

// Lines for a list, appended in one update when flushed: a run of 100,000 files would
// otherwise update the list 100,000 times. Flushed before anything else can look at the list.
class LineBuffer {
public:
    LineBuffer(ListBox* list, qsizetype expected) : m_list(list) { m_lines.reserve(expected); }
    ~LineBuffer() { flush(); }
    void add(const QString& line) { m_lines.append(FileEntry{line, {}}); }
    void flush()
    {
        if (!m_lines.isEmpty())
            m_list->AddItems(std::exchange(m_lines, {}));
    }

private:
    ListBox* m_list;
    QList<FileEntry> m_lines;
};

} // namespace tessaly
