#pragma once

#include <array>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <string_view>

namespace tessaly {

// A line of the log: fixed texts with a name or a number between each two. Each line is written
// once, below, and gives both its text and its UTF-8 from that one definition.
template <size_t Parts> struct LogLine {
    std::array<std::string_view, Parts + 1> fixed; // ASCII

    // The line as a text, `parts` standing between the fixed texts.
    template <typename... Texts> QString text(const Texts&... parts) const
    {
        static_assert(sizeof...(parts) == Parts);
        qsizetype size = (qsizetype(0) + ... + parts.size());
        for (const std::string_view f : fixed)
            size += qsizetype(f.size());
        QString line;
        line.reserve(size);
        line += latin1(fixed[0]);
        size_t k = 1;
        ((line += parts, line += latin1(fixed[k++])), ...);
        return line;
    }
    // The line as pieces of UTF-8 to be joined, `parts` being the UTF-8 of what stands between
    // the fixed texts.
    template <typename... Bytes>
    std::array<QByteArrayView, 2 * Parts + 1> utf8(const Bytes&... parts) const
    {
        static_assert(sizeof...(parts) == Parts);
        std::array<QByteArrayView, 2 * Parts + 1> pieces;
        pieces[0] = bytes(fixed[0]);
        size_t k = 1;
        ((pieces[k] = QByteArrayView(parts), pieces[k + 1] = bytes(fixed[(k + 1) / 2]), k += 2),
         ...);
        return pieces;
    }

private:
    static QLatin1StringView latin1(std::string_view s) { return {s.data(), qsizetype(s.size())}; }
    static QByteArrayView bytes(std::string_view s) { return {s.data(), qsizetype(s.size())}; }
};

// The lines a run writes to the log.
namespace LogLines {
// A file renamed: its old name, then its new one.
inline constexpr LogLine<2> Renamed{{"File \"", "\" renamed to \"", "\""}};
// The three failures of a rename that concern the one file: the old name, the new, the new.
inline constexpr LogLine<1> AlreadyExists{{"File \"", "\" already exist"}};
inline constexpr LogLine<1> NotFound{{"File ", " not found"}};
inline constexpr LogLine<1> BadFileName{{"Bad file name ", ""}};
// A position rule that does not fit a name: its positions.
inline constexpr LogLine<2> InvalidRange{{"Invalid position range: ", " to ", ""}};
inline constexpr LogLine<1> InvalidIndex{{"Invalid position index: ", ""}};
} // namespace LogLines

} // namespace tessaly
