#include "engine/nameedit.h"

#include "core/asciicase.h"
#include "core/runtimeerror.h"
#include "engine/int16.h"

#include <algorithm>
#include <QVarLengthArray>

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

// Simple case mappings only, so the length never changes ("ß" stays "ß"). ASCII inline: it is
// nearly every character of a file name and the preview maps 100,000 names per keystroke.
inline char32_t caseOf(char32_t c, Case to)
{
    if (c < 128) {
        return to == Case::Upper ? asciiUpper(c) : asciiLower(c);
    }
    return to == Case::Upper ? QChar::toUpper(c) : QChar::toLower(c);
}

// Writes case mappings into a text, detaching it only once a character really changes: a
// text the caller owns alone is changed where it stands, a shared one is copied first.
class CaseMapper {
public:
    explicit CaseMapper(QString& text) : m_text(text), m_data(text.constData()), m_size(text.size())
    {
    }

    qsizetype size() const { return m_size; }
    char16_t unitAt(qsizetype i) const { return m_data[i].unicode(); }

    // Maps the character at index i, a surrogate pair as one code point, and returns how many
    // code units it took. A mapping that would need a different number of code units is
    // left out; probed over every code point with Qt 6.4, no simple mapping crosses between
    // the BMP and the supplementary planes.
    qsizetype map(qsizetype i, Case to)
    {
        if (m_data[i].unicode() < 128) {
            setAscii(i, to);
            return 1;
        }
        const QChar ch = m_data[i];
        if (ch.isHighSurrogate() && i + 1 < m_size && m_data[i + 1].isLowSurrogate()) {
            const char32_t c = QChar::surrogateToUcs4(ch, m_data[i + 1]);
            const char32_t m = caseOf(c, to);
            if (m != c && QChar::requiresSurrogates(m)) {
                QChar* d = writable();
                d[i] = QChar(QChar::highSurrogate(m));
                d[i + 1] = QChar(QChar::lowSurrogate(m));
            }
            return 2;
        }
        const char32_t c = ch.unicode();
        const char32_t m = caseOf(c, to);
        if (m != c && !QChar::requiresSurrogates(m))
            writable()[i] = QChar(char16_t(m));
        return 1;
    }

    // Maps the ASCII character at index i.
    void setAscii(qsizetype i, Case to)
    {
        const char16_t c = m_data[i].unicode();
        const char16_t m = to == Case::Upper ? asciiUpper(c) : asciiLower(c);
        if (m != c)
            writable()[i] = QChar(m);
    }

private:
    QChar* writable()
    {
        if (!m_writable) {
            m_writable = m_text.data();
            m_data = m_writable;
        }
        return m_writable;
    }

    QString& m_text;
    const QChar* m_data;
    qsizetype m_size;
    QChar* m_writable = nullptr;
};

void setSuffixCase(QString& text, Case to)
{
    const qsizetype dot = text.lastIndexOf(u'.');
    if (dot < 0)
        return;
    // Every "." found is a 16-bit position; the last one is the largest.
    toInt16(dot + 1);
    CaseMapper w(text);
    for (qsizetype i = dot + 1; i < w.size();)
        i += w.map(i, to);
}

// True when `find` matches exactly the same texts with and without regard to case: it holds
// only ASCII characters that are no letters. Probed with Qt 6.4 over every character: no
// other character matches such a one case-insensitively (only U+017F and U+212A fold into
// ASCII, to "s" and "k").
bool isCaseless(const QString& find)
{
    for (QChar c : find) {
        const char16_t u = c.unicode();
        if (u >= 128 || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
            return false;
    }
    return true;
}

// `find` in lower case where it is all ASCII; nothing otherwise.
std::optional<QString> lowerAscii(const QString& find)
{
    QString out = find;
    for (QChar& c : out) {
        if (c.unicode() >= 128)
            return std::nullopt;
        c = QChar(asciiLower(c.unicode()));
    }
    return out;
}

// Whether the text character `h` folds to the lower-case ASCII character `lower`. Only two
// characters beyond ASCII fold into it: U+017F to "s" and U+212A to "k" (checked against Qt's
// own caseless matching for every character in a test).
inline bool foldsTo(char16_t h, char16_t lower)
{
    if (h < 128)
        return asciiLower(h) == lower;
    return (h == 0x17F && lower == 's') || (h == 0x212A && lower == 'k');
}

} // namespace

// The first match of an all-ASCII search text (given in lower case) at `from` or later,
// without regard to case: what QString::indexOf finds, in a fraction of its time.
qsizetype indexOfAsciiCaseless(QStringView text, QStringView lowerFind, qsizetype from)
{
    const qsizetype n = lowerFind.size();
    const char16_t first = lowerFind[0].unicode();
    for (qsizetype i = from; i + n <= text.size(); ++i) {
        if (!foldsTo(text[i].unicode(), first))
            continue;
        qsizetype k = 1;
        while (k < n && foldsTo(text[i + k].unicode(), lowerFind[k].unicode()))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

namespace {

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
    // yet consumed: the matches are those of one scan over `text`, and the result is built
    // once. The case-sensitive search is the faster one, and the same for caseless texts.
    const Qt::CaseSensitivity sensitivity =
        isCaseless(find) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool single = sensitivity == Qt::CaseSensitive && find.size() == 1;
    if (single && replacement.size() == 1) {
        // One code unit for another keeps every position: the matches are replaced where they
        // stand, in one copy of the text. The last match has the largest position to check.
        const QChar from = find.front();
        const qsizetype first = text.indexOf(from, 0, Qt::CaseSensitive);
        if (first < 0)
            return text;
        QString out = text;
        QChar* units = out.data();
        qsizetype last = first;
        units[first] = replacement.front();
        for (qsizetype i = first + 1; all && i < out.size(); ++i) {
            if (units[i] == from) {
                units[i] = replacement.front();
                last = i;
            }
        }
        toInt16(last + 1);
        return out;
    }
    const std::optional<QString> asciiFind =
        sensitivity == Qt::CaseInsensitive ? lowerAscii(find) : std::nullopt;
    const qsizetype grow = replacement.size() - find.size();
    QVarLengthArray<qsizetype, 32> matches;
    for (qsizetype from = 0; from < text.size();) {
        const qsizetype at = single      ? text.indexOf(find.front(), from, Qt::CaseSensitive)
                             : asciiFind ? indexOfAsciiCaseless(text, *asciiFind, from)
                                         : text.indexOf(find, from, sensitivity);
        if (at < 0)
            break;
        // The match's position in the text as edited so far must fit in 16 bits.
        toInt16(at + qsizetype(matches.size()) * grow + 1);
        matches.append(at);
        from = at + find.size();
        if (!all)
            break;
    }
    if (matches.isEmpty())
        return text;

    QString out(text.size() + qsizetype(matches.size()) * grow, Qt::Uninitialized);
    const QChar* source = text.constData();
    QChar* target = out.data();
    qsizetype done = 0;
    for (const qsizetype at : matches) {
        target = std::copy(source + done, source + at, target);
        target = std::copy(replacement.constBegin(), replacement.constEnd(), target);
        done = at + find.size();
    }
    std::copy(source + done, source + text.size(), target);
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

void capitalizeWordsInPlace(QString& text)
{
    CaseMapper w(text);
    const qsizetype length = w.size();
    if (length == 0)
        return;
    // The first character is raised whatever it is, and sets no flag.
    qsizetype i = w.map(0, Case::Upper);
    bool afterSeparator = false;
    while (i < length) {
        const char16_t c = w.unitAt(i);
        if (c < 128 && isSeparator(c)) {
            afterSeparator = true;
            ++i;
            continue;
        }
        const Case to = afterSeparator ? Case::Upper : Case::Lower;
        afterSeparator = false;
        if (c < 128) {
            w.setAscii(i++, to);
            continue;
        }
        i += w.map(i, to);
    }
}

void upperSuffixInPlace(QString& text)
{
    setSuffixCase(text, Case::Upper);
}

void lowerSuffixInPlace(QString& text)
{
    setSuffixCase(text, Case::Lower);
}

QString CapitalizeWords(const QString& text)
{
    QString w = text;
    capitalizeWordsInPlace(w);
    return w;
}

QString UpperSuffix(const QString& text)
{
    QString w = text;
    upperSuffixInPlace(w);
    return w;
}

QString LowerSuffix(const QString& text)
{
    QString w = text;
    lowerSuffixInPlace(w);
    return w;
}

} // namespace tessaly
