#include "mask.h"

namespace tessaly {

namespace {

std::u32string folded(QStringView text)
{
    std::u32string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        out.push_back(QChar::toCaseFolded(c));
    }
    return out;
}

} // namespace

Mask::Mask(const QString& pattern)
    : m_folded(folded(pattern)),
      m_all(pattern.isEmpty() || pattern == u"*.*" || pattern.count(u'*') == pattern.size())
{
}

bool Mask::matches(QStringView name) const
{
    if (m_all)
        return true;
    const std::u32string s = folded(name);
    const std::u32string& p = m_folded;
    // Greedy matching that backtracks only to the last "*": linear for masks like "*.mp3".
    size_t si = 0, pi = 0, starP = std::u32string::npos, starS = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == U'?' || p[pi] == s[si])) {
            ++si, ++pi;
        } else if (pi < p.size() && p[pi] == U'*') {
            starP = pi++;
            starS = si;
        } else if (starP != std::u32string::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == U'*')
        ++pi;
    return pi == p.size();
}

} // namespace tessaly
