#include "mask.h"

#include "asciicase.h"

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
}

bool Mask::matches(QStringView name) const
{
    if (m_all)
        return true;
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
