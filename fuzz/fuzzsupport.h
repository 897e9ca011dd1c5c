#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <QString>
#include <string>

namespace tessaly::fuzz {

// A broken invariant: print it with the inputs and abort, so libFuzzer keeps the input.
[[noreturn]] inline void broken(const char* what, int line, const QString& detail)
{
    std::fprintf(stderr, "invariant broken (line %d): %s\n%s\n", line, what,
                 detail.toUtf8().constData());
    std::abort();
}

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::tessaly::fuzz::broken(#condition, __LINE__, (detail));                               \
    } while (false)

// A text from the input: UTF-8 (invalid bytes become U+FFFD) or raw UTF-16 code units, lone
// surrogates included, so both everyday names and malformed texts are reached.
inline QString takeText(FuzzedDataProvider& in, std::size_t maxBytes)
{
    const bool utf16 = in.ConsumeBool();
    const std::string bytes = in.ConsumeRandomLengthString(maxBytes);
    if (!utf16)
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    QString out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        out.append(QChar(char16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8)));
    return out;
}

// The code units of a text as hex, for a report that shows every character exactly.
inline QString units(const QString& s)
{
    QString out;
    for (const QChar c : s)
        out += QString::number(c.unicode(), 16).rightJustified(4, u'0') + u' ';
    return u'[' + out.trimmed() + u']';
}

} // namespace tessaly::fuzz
