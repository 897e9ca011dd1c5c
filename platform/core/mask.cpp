#include "core/mask.h"

#include "core/asciicase.h"

#include <algorithm>
#include <array>

namespace tessaly {

namespace {

inline char32_t foldedAt(QStringView text, qsizetype& i)
{
    const char16_t u = text[i].unicode();
    if (u < 0x80)
        return asciiLower(char32_t(u));
    char32_t c = u;
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        c = QChar::surrogateToUcs4(u, text[++i].unicode());
    return QChar::toCaseFolded(c);
}

// Whether the UTF-16 unit `u` folds to the ASCII character `folded` (given folded). Beyond ASCII
// only U+017F and U+212A fold into it, to "s" and "k" (checked against Qt's folding of every
// character in a test).
inline bool foldsTo(char16_t u, char16_t folded)
{
    if (u < 0x80)
        return asciiLower(u) == folded;
    return (u == 0x17F && folded == u's') || (u == 0x212A && folded == u'k');
}

// Folds `text` into `out`; returns the number of code points.
size_t fold(QStringView text, char32_t* out)
{
    size_t n = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        out[n++] = foldedAt(text, i);
    return n;
}

} // namespace

Mask::Mask(const QString& pattern)
    : m_all(pattern.isEmpty() || pattern == u"*.*" || pattern.count(u'*') == pattern.size())
{
    m_folded.resize(size_t(pattern.size()));
    m_folded.resize(fold(pattern, m_folded.data()));
    // "*.mp3" and the like: a star, then ASCII without wildcards.
    const bool suffix = m_folded.size() > 1 && m_folded[0] == U'*' &&
                        std::all_of(m_folded.begin() + 1, m_folded.end(),
                                    [](char32_t c) { return c < 0x80 && c != U'*' && c != U'?'; });
    if (suffix)
        m_suffix.assign(m_folded.begin() + 1, m_folded.end());
}

bool Mask::matches(QStringView name) const
{
    if (m_all)
        return true;
    if (!m_suffix.empty()) {
        // Compared from the end, unit by unit: a unit of a surrogate pair folds to nothing
        // in ASCII, just as the pair's code point would not.
        const qsizetype n = qsizetype(m_suffix.size());
        if (name.size() < n)
            return false;
        const char16_t* tail = name.utf16() + name.size() - n;
        for (qsizetype i = 0; i < n; ++i)
            if (!foldsTo(tail[i], m_suffix[size_t(i)]))
                return false;
        return true;
    }
    // File names are at most 255 bytes, so the stack buffer nearly always holds them.
    std::array<char32_t, 512> stack;
    std::u32string heap;
    char32_t* s = stack.data();
    if (name.size() > qsizetype(stack.size())) {
        heap.resize(size_t(name.size()));
        s = heap.data();
    }
    const size_t sn = fold(name, s);
    const char32_t* p = m_folded.data();
    const size_t pn = m_folded.size();
    // Greedy matching that backtracks only to the last "*": linear for masks like "*.mp3".
    size_t si = 0, pi = 0, starP = std::u32string::npos, starS = 0;
    while (si < sn) {
        if (pi < pn && (p[pi] == U'?' || p[pi] == s[si])) {
            ++si, ++pi;
        } else if (pi < pn && p[pi] == U'*') {
            starP = pi++;
            starS = si;
        } else if (starP != std::u32string::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < pn && p[pi] == U'*')
        ++pi;
    return pi == pn;
}

} // namespace tessaly
