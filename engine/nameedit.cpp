#include "nameedit.h"

#include "int16.h"
#include "runtimeerror.h"

namespace tessaly {

namespace {

// The string primitives the edits are built from, with their failures at the edges.

// The first k characters of s (all of s when k is larger).
QString leftPart(const QString& s, qint64 k)
{
    if (k < 0)
        throw RunTimeError(ErrorCode::InvalidCall);
    return s.left(k);
}

// The characters of s from position k to the end (empty when k is past the end).
QString rightFrom(const QString& s, qint64 k)
{
    if (k < 1)
        throw RunTimeError(ErrorCode::InvalidCall);
    return k > s.size() ? QString() : s.mid(k - 1);
}

enum class Case { Upper, Lower };

char32_t caseOf(char32_t c, Case to)
{
    return to == Case::Upper ? QChar::toUpper(c) : QChar::toLower(c);
}

// Maps the character at index i of w to the case `to`, a surrogate pair as one code point,
// and returns how many code units it took. Simple mappings only, so the length never changes
// ("ß" stays "ß"); a mapping that would need a different number of code units is left out.
// Probed over every code point with Qt 6.4: no simple mapping crosses between the BMP and the
// supplementary planes, so that guard never bites in practice.
qsizetype setCaseAt(QString& w, qsizetype i, Case to)
{
    const QChar ch = w.at(i);
    if (ch.isHighSurrogate() && i + 1 < w.size() && w.at(i + 1).isLowSurrogate()) {
        const char32_t c = QChar::surrogateToUcs4(ch, w.at(i + 1));
        const char32_t m = caseOf(c, to);
        if (m != c && QChar::requiresSurrogates(m)) {
            w[i] = QChar(QChar::highSurrogate(m));
            w[i + 1] = QChar(QChar::lowSurrogate(m));
        }
        return 2;
    }
    const char32_t c = ch.unicode();
    const char32_t m = caseOf(c, to);
    if (m != c && !QChar::requiresSurrogates(m))
        w[i] = QChar(char16_t(m));
    return 1;
}

QString withSuffixCase(const QString& text, Case to)
{
    const qsizetype dot = text.lastIndexOf(u'.');
    if (dot < 0)
        return text;
    // Every "." found is a 16-bit position; the last one is the largest.
    toInt16(dot + 1);
    QString w = text;
    for (qsizetype i = dot + 1; i < w.size();)
        i += setCaseAt(w, i, to);
    return w;
}

// Characters 0..127 that end a word. Every other character, the apostrophe and the digits
// included, belongs to a word.
constexpr bool isSeparator(char16_t c)
{
    return c <= 38 || (c >= 40 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 127);
}

} // namespace

QString ReplaceText(const QString& text, const QString& find, const QString& replacement,
                    qint16 all)
{
    if (find.isEmpty())
        return text;
    toInt16(1 - qint64(replacement.size()));

    // The scan resumes behind each replacement, so every match lies in the part of `text` not
    // yet consumed: the result can be built in one pass over `text`.
    QString out;
    qsizetype done = 0;
    while (done < text.size()) {
        const qsizetype at = text.indexOf(find, done, Qt::CaseInsensitive);
        if (at < 0)
            break;
        // The match's position in the text as edited so far must fit in 16 bits.
        toInt16(out.size() + (at - done) + 1);
        if (out.isNull())
            out.reserve(text.size() + replacement.size());
        out.append(QStringView(text).sliced(done, at - done));
        out.append(replacement);
        done = at + find.size();
        if (!all)
            break;
    }
    if (done == 0)
        return text;
    out.append(QStringView(text).sliced(done));
    return out;
}

QString ReplaceRange(const QString& text, qint16 from, qint16 to, const QString& replacement)
{
    const QString head = leftPart(text, toInt16(qint64(from) - 1));
    const QString tail = rightFrom(text, toInt16(qint64(to) + 1));
    return head + replacement + tail;
}

QString InsertAfter(const QString& text, qint16 n, const QString& insertion)
{
    const QString head = leftPart(text, n);
    const QString tail = rightFrom(text, toInt16(qint64(n) + 1));
    return head + insertion + tail;
}

QString CapitalizeWords(const QString& text)
{
    QString w = text;
    const qsizetype length = w.size();
    if (length == 0)
        return w;
    // The first character is raised whatever it is, and sets no flag.
    qsizetype i = setCaseAt(w, 0, Case::Upper);
    bool afterSeparator = false;
    while (i < length) {
        const char16_t c = w.at(i).unicode();
        if (c < 128 && isSeparator(c)) {
            afterSeparator = true;
            ++i;
            continue;
        }
        i += setCaseAt(w, i, afterSeparator ? Case::Upper : Case::Lower);
        afterSeparator = false;
    }
    return w;
}

QString UpperSuffix(const QString& text)
{
    return withSuffixCase(text, Case::Upper);
}

QString LowerSuffix(const QString& text)
{
    return withSuffixCase(text, Case::Lower);
}

} // namespace tessaly
