#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <span>
#include <vector>

namespace tessaly {

// Lines of text held compactly for a long list such as a run's log: UTF-8 in one buffer,
// about a third of the memory of a QString per line. A line that UTF-8 cannot carry exactly
// (a lone surrogate) is kept as UTF-16, so every line reads back as it was added.
class TextLines {
public:
    qsizetype size() const { return qsizetype(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }
    QString at(qsizetype index) const;
    void reserve(qsizetype lines) { m_lines.reserve(size_t(lines)); }
    void append(QStringView line);
    // Appends one line made of these pieces of valid UTF-8.
    void appendUtf8(std::span<const QByteArrayView> pieces);
    void append(TextLines&& more);
    // Keeps the lines whose flag is set, in order.
    void keep(const std::vector<bool>& keep);

private:
    struct Line {
        quint64 end : 63; // where the line ends in m_bytes
        quint64 utf16 : 1;
    };
    qsizetype begin(qsizetype index) const
    {
        return index ? qsizetype(m_lines[size_t(index) - 1].end) : 0;
    }

    QByteArray m_bytes;
    std::vector<Line> m_lines;
};

} // namespace tessaly
