#include "controls/textlines.h"

#include "core/names.h"

#include <cstring>

namespace tessaly {

QString TextLines::at(qsizetype index) const
{
    const Line line = m_lines[size_t(index)];
    const qsizetype from = begin(index);
    const qsizetype size = qsizetype(line.end) - from;
    if (!line.utf16)
        return QString::fromUtf8(m_bytes.constData() + from, size);
    // The buffer gives no alignment for UTF-16 units: copy them.
    QString text(size / 2, Qt::Uninitialized);
    std::memcpy(text.data(), m_bytes.constData() + from, size_t(size));
    return text;
}

void TextLines::append(QStringView line)
{
    const bool utf16 = !tessaly::appendUtf8(m_bytes, line);
    if (utf16) // a lone surrogate: the line as UTF-16
        m_bytes.append(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
    m_lines.push_back({quint64(m_bytes.size()), utf16});
}

void TextLines::appendUtf8(std::span<const QByteArrayView> pieces)
{
    for (const QByteArrayView piece : pieces)
        appendBytes(m_bytes, piece);
    m_lines.push_back({quint64(m_bytes.size()), false});
}

void TextLines::append(TextLines&& more)
{
    if (isEmpty()) {
        *this = std::move(more);
        return;
    }
    const quint64 shift = quint64(m_bytes.size());
    m_bytes.append(more.m_bytes);
    m_lines.reserve(m_lines.size() + more.m_lines.size());
    for (const Line& l : more.m_lines)
        m_lines.push_back({l.end + shift, l.utf16});
    more = {};
}

void TextLines::keep(const std::vector<bool>& keep)
{
    TextLines kept;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (!keep[i])
            continue;
        const qsizetype from = begin(qsizetype(i));
        kept.m_bytes.append(m_bytes.constData() + from, qsizetype(m_lines[i].end) - from);
        kept.m_lines.push_back({quint64(kept.m_bytes.size()), m_lines[i].utf16});
    }
    *this = std::move(kept);
}

} // namespace tessaly
