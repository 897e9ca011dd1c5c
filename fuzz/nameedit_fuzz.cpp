// The name edits under random texts and positions: no crash, no sanitizer report, the
// run-time errors they may raise and no others, and what must hold of every result. The fast
// paths (one-pass replace, in-place case edits, ASCII shortcuts) are held against the edits
// done step by step, character by character.
#include "core/runtimeerror.h"
#include "engine/int16.h"
#include "engine/nameedit.h"
#include "fuzzsupport.h"

#include <algorithm>
#include <optional>

using namespace tessaly;
using tessaly::fuzz::units;

namespace {

// An edit's result, or the code of the RunTimeError it raised.
struct Outcome {
    QString text;
    int error = 0;
    bool operator==(const Outcome&) const = default;
    QString show() const { return error ? QStringLiteral("error %1").arg(error) : units(text); }
};

template <typename Edit> Outcome outcome(Edit&& edit)
{
    try {
        return {edit(), 0};
    } catch (const RunTimeError& e) {
        return {QString(), e.code()};
    }
}

// ReplaceText as its steps read: search the edited text from behind the last replacement,
// every position a 16-bit number.
QString stepwiseReplaceText(const QString& text, const QString& find, const QString& replacement,
                            qint16 all)
{
    QString w = text;
    if (find.isEmpty())
        return w;
    qint16 p = toInt16(1 - qint64(replacement.size()));
    for (;;) {
        const qint64 start = replacement.size() + p; // 1-based
        const qsizetype at =
            start > w.size() ? -1 : w.indexOf(find, qsizetype(start - 1), Qt::CaseInsensitive);
        p = toInt16(qint64(at) + 1);
        if (p == 0)
            return w;
        w = w.left(p - 1) + replacement + w.mid(p - 1 + find.size());
        if (all == 0)
            return w;
    }
}

constexpr bool isSeparator(char32_t c)
{
    return c <= 38 || (c >= 40 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
           (c >= 123 && c <= 127);
}

// A code point's simple case mapping; one that would change the number of code units is
// left out.
char32_t mapped(char32_t c, bool upper)
{
    const char32_t m = upper ? QChar::toUpper(c) : QChar::toLower(c);
    return QChar::requiresSurrogates(m) == QChar::requiresSurrogates(c) ? m : c;
}

// Calls `visit(codePoint, index)` for each character, a surrogate pair as one code point.
template <typename Visit> QString eachCodePoint(const QString& text, Visit visit)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        const char32_t m = visit(c, i);
        if (width == 2) {
            out += QChar(QChar::highSurrogate(m));
            out += QChar(QChar::lowSurrogate(m));
        } else {
            out += QChar(char16_t(m));
        }
        i += width;
    }
    return out;
}

QString stepwiseCapitalizeWords(const QString& text)
{
    bool afterSeparator = false;
    return eachCodePoint(text, [&](char32_t c, qsizetype i) {
        if (i == 0)
            return mapped(c, true);
        if (c < 128 && isSeparator(c)) {
            afterSeparator = true;
            return c;
        }
        const bool upper = std::exchange(afterSeparator, false);
        return mapped(c, upper);
    });
}

QString stepwiseSuffixCase(const QString& text, bool upper)
{
    const qsizetype dot = text.lastIndexOf(u'.');
    if (dot < 0)
        return text;
    toInt16(dot + 1);
    return text.left(dot + 1) + eachCodePoint(text.mid(dot + 1), [&](char32_t c, qsizetype) {
               return mapped(c, upper);
           });
}

// The in-place edit on a text shared with another: the other must not change, and the result
// must be the pure edit's. A failure leaves the text as it was.
void checkInPlace(void (*inPlace)(QString&), const Outcome& pure, const QString& text)
{
    const QString deep(text.constData(), text.size());
    for (const bool shared : {true, false}) {
        QString work = shared ? text : deep;
        const QString other = work; // shares work's data until work writes
        Outcome got;
        try {
            inPlace(work);
            got = {work, 0};
        } catch (const RunTimeError& e) {
            got = {QString(), e.code()};
            FUZZ_CHECK(work == deep, units(work));
        }
        FUZZ_CHECK(got == pure, got.show() + QStringLiteral(" / ") + pure.show());
        FUZZ_CHECK(other == deep, units(other));
        FUZZ_CHECK(text == deep, units(text));
    }
}

void checkReplaceText(const QString& text, const QString& find, const QString& replacement,
                      qint16 all, bool stepwise)
{
    const auto detail = [&] {
        return QString(units(text) + u' ' + units(find) + u' ' + units(replacement) +
                       QStringLiteral(" all=%1").arg(all));
    };
    FUZZ_CHECK(ReplaceText(text, QString(), replacement, all) == text, detail());
    const Outcome got = outcome([&] { return ReplaceText(text, find, replacement, all); });
    FUZZ_CHECK(got.error == 0 || got.error == ErrorCode::Overflow, detail());
    if (stepwise) {
        const Outcome expected =
            outcome([&] { return stepwiseReplaceText(text, find, replacement, all); });
        FUZZ_CHECK(got == expected, detail() + QStringLiteral("\n") + got.show() +
                                        QStringLiteral(" / ") + expected.show());
    }
    if (got.error || find.isEmpty())
        return;
    // Each replacement changes the length by the same amount; without "all" there is one.
    const qsizetype grow = replacement.size() - find.size();
    const qsizetype change = got.text.size() - text.size();
    if (grow == 0) {
        FUZZ_CHECK(change == 0, detail());
    } else {
        FUZZ_CHECK(change % grow == 0 && change / grow >= 0, detail());
        FUZZ_CHECK(all != 0 || change / grow <= 1, detail());
    }
    if (got.text == text && find.compare(replacement, Qt::CaseSensitive) != 0)
        FUZZ_CHECK(!text.contains(find, Qt::CaseInsensitive) || grow == 0, detail());
}

void checkRanges(const QString& text, qint16 from, qint16 to, qint16 n, const QString& insertion)
{
    const auto detail = [&] {
        return QString(units(text) +
                       QStringLiteral(" from=%1 to=%2 n=%3 ").arg(from).arg(to).arg(n) +
                       units(insertion));
    };
    // ReplaceRange: "from" is checked before "to"; 6 for 16-bit overflow, 5 below the bounds.
    const Outcome range = outcome([&] { return ReplaceRange(text, from, to, insertion); });
    const int rangeError = from == -32768 ? 6 : from < 1 ? 5 : to == 32767 ? 6 : to < 0 ? 5 : 0;
    FUZZ_CHECK(range.error == rangeError, detail() + u' ' + range.show());
    if (range.error == 0) {
        const QString head = text.left(from - 1);
        const QString tail = to + 1 > text.size() ? QString() : text.mid(to);
        FUZZ_CHECK(range.text == head + insertion + tail, detail() + u' ' + range.show());
    }
    // InsertAfter: taking the insertion out again gives the text.
    const Outcome insert = outcome([&] { return InsertAfter(text, n, insertion); });
    const int insertError = n < 0 ? 5 : n == 32767 ? 6 : 0;
    FUZZ_CHECK(insert.error == insertError, detail() + u' ' + insert.show());
    if (insert.error == 0) {
        const qsizetype at = std::min<qsizetype>(n, text.size());
        FUZZ_CHECK(insert.text.mid(at, insertion.size()) == insertion, detail());
        FUZZ_CHECK(insert.text.left(at) + insert.text.mid(at + insertion.size()) == text, detail());
    }
}

void checkCaseEdits(const QString& text, bool longText)
{
    const auto detail = [&] { return QString(units(text)); };
    // CapitalizeWords has no position to overflow: long texts would only slow the search.
    if (!longText) {
        const Outcome capitalized = outcome([&] { return CapitalizeWords(text); });
        FUZZ_CHECK(capitalized.error == 0, detail() + u' ' + capitalized.show());
        FUZZ_CHECK(capitalized.text.size() == text.size(), detail());
        FUZZ_CHECK(CapitalizeWords(capitalized.text) == capitalized.text, detail());
        FUZZ_CHECK(capitalized.text == stepwiseCapitalizeWords(text),
                   detail() + u' ' + capitalized.show());
        checkInPlace(&capitalizeWordsInPlace, capitalized, text);
    }

    const qsizetype dot = text.lastIndexOf(u'.');
    for (const bool upper : {true, false}) {
        const Outcome got = outcome([&] { return upper ? UpperSuffix(text) : LowerSuffix(text); });
        // The last "." must be a 16-bit position; nothing else can fail.
        FUZZ_CHECK(got.error == (dot + 1 > 32767 ? 6 : 0), detail() + u' ' + got.show());
        checkInPlace(upper ? &upperSuffixInPlace : &lowerSuffixInPlace, got, text);
        if (got.error)
            continue;
        FUZZ_CHECK(got.text.size() == text.size(), detail() + u' ' + got.show());
        FUZZ_CHECK(got.text.left(dot + 1) == text.left(dot + 1), detail() + u' ' + got.show());
        FUZZ_CHECK((upper ? UpperSuffix(got.text) : LowerSuffix(got.text)) == got.text, detail());
        FUZZ_CHECK(got.text == stepwiseSuffixCase(text, upper), detail() + u' ' + got.show());
    }
}

// Positions near the edges of their checks and of the 16-bit range are the interesting ones.
qint16 takePosition(FuzzedDataProvider& in)
{
    static constexpr qint16 edges[] = {-32768, -32767, -1, 0, 1, 2, 3, 32766, 32767};
    if (in.ConsumeBool())
        return in.PickValueInArray(edges);
    return in.ConsumeIntegral<qint16>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    QString text = fuzz::takeText(in, 256);
    const QString find = fuzz::takeText(in, 16);
    const QString replacement = fuzz::takeText(in, 16);
    const qint16 all = in.ConsumeBool() ? in.ConsumeIntegral<qint16>() : 0;
    const qint16 from = takePosition(in);
    const qint16 to = takePosition(in);
    const qint16 n = takePosition(in);
    // Now and then a text past 32767 characters, where positions overflow (not when the input
    // has run out, which reads as 0).
    bool longText = false;
    if (!text.isEmpty() && in.ConsumeIntegralInRange(0, 63) == 63) {
        const QString tail = fuzz::takeText(in, 16);
        text = text.repeated((32768 - tail.size()) / text.size() + 1) + tail;
        longText = true;
    }

    // The step-by-step replace copies the whole text per match: short texts only.
    checkReplaceText(text, find, replacement, all, !longText);
    checkRanges(text, from, to, n, replacement);
    checkCaseEdits(text, longText);
    return 0;
}
