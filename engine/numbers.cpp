#include "engine/numbers.h"

#include "core/runtimeerror.h"

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <QLocale>
#include <string>

namespace tessaly {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int d = -1;
    if (u >= u'0' && u <= u'9')
        d = u - u'0';
    else if (u >= u'a' && u <= u'f')
        d = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        d = u - u'A' + 10;
    return d < base ? d : -1;
}

// Reads &H / &O digits of `s` from index i.
double radixNumber(const QString& s, qsizetype i, int base)
{
    quint64 value = 0;
    double wide = 0; // once the value no longer fits in 32 bits
    bool tooWide = false;
    for (int d; i < s.size() && (d = digitValue(s.at(i), base)) >= 0; ++i) {
        if (tooWide) {
            wide = wide * base + d;
            continue;
        }
        value = value * base + d;
        if (value > 0xFFFFFFFFu) {
            tooWide = true;
            wide = double(value);
        }
    }
    if (tooWide)
        return wide;
    if (value <= 0xFFFFu)
        return qint16(quint16(value));
    return qint32(quint32(value));
}

double roundHalfEven(double v)
{
    const double below = std::floor(v);
    const double rest = v - below;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0))
        return below + 1;
    return below;
}

} // namespace

double leadingNumber(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (!isBlank(c))
            s.append(c);
    }
    const auto at = [&s](qsizetype k) { return k < s.size() ? s.at(k) : QChar(); };

    if (at(0) == u'&') {
        const QChar prefix = at(1);
        if (prefix == u'H' || prefix == u'h')
            return radixNumber(s, 2, 16);
        if (prefix == u'O' || prefix == u'o')
            return radixNumber(s, 2, 8);
        return 0;
    }

    // Gather the number as plain ASCII and let the C locale's reader convert it, which gives
    // an infinity on overflow and 0 on underflow (checked: "1e999", "1e-999").
    std::string number;
    qsizetype i = 0;
    if (at(i) == u'+' || at(i) == u'-')
        number += char(s.at(i++).unicode());
    bool digits = false;
    bool point = false;
    for (;; ++i) {
        const QChar c = at(i);
        if (isDecimalDigit(c)) {
            number += char(c.unicode());
            digits = true;
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    if (at(i) == u'E' || at(i) == u'e') {
        std::string exponent = "e";
        qsizetype j = i + 1;
        if (at(j) == u'+' || at(j) == u'-')
            exponent += char(s.at(j++).unicode());
        bool exponentDigits = false;
        for (; isDecimalDigit(at(j)); ++j) {
            exponent += char(s.at(j).unicode());
            exponentDigits = true;
        }
        if (exponentDigits)
            number += exponent;
    }
    return QLocale::c().toDouble(QLatin1StringView(number.data(), qsizetype(number.size())));
}

qint16 readPosition(const QString& text)
{
    const double rounded = roundHalfEven(leadingNumber(text));
    if (!(rounded >= -32768 && rounded <= 32767))
        throw RunTimeError(ErrorCode::Overflow);
    return qint16(rounded);
}

QString numberText(double value, const QString& decimalPoint)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    if (std::isinf(value))
        value = std::copysign(DBL_MAX, value);
    if (value == 0)
        return QStringLiteral("0");

    // 15 significant digits, rounded, as "d.dddddddddddddde+XX"; to_chars ignores the locale.
    std::array<char, 40> buffer;
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                       std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view scientific(buffer.data(), written.ptr);
    const std::size_t e = scientific.find('e');
    // The digits without the point, appended one part after the other: g++ 12 takes the
    // concatenation of two temporary strings for an overlapping copy at -O2 (-Wrestrict).
    std::string digits(1, scientific[0]);
    digits.append(scientific.substr(2, e - 2));
    int exponent = 0;
    std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1),
                    scientific.data() + scientific.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString out;
    if (value < 0)
        out += u'-';
    if (exponent >= 15 || exponent < -4) {
        out += QLatin1Char(digits[0]);
        if (digits.size() > 1)
            out +=
                decimalPoint + QLatin1StringView(digits.data() + 1, qsizetype(digits.size() - 1));
        out += u'E';
        out += exponent < 0 ? u'-' : u'+';
        out += QString::number(std::abs(exponent)).rightJustified(2, u'0');
    } else if (exponent >= 0) {
        const std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() <= whole) {
            out += QLatin1StringView(digits.data(), qsizetype(digits.size()));
            out += QString(qsizetype(whole - digits.size()), u'0');
        } else {
            out += QLatin1StringView(digits.data(), qsizetype(whole));
            out += decimalPoint;
            out += QLatin1StringView(digits.data() + whole, qsizetype(digits.size() - whole));
        }
    } else {
        out += u'0';
        out += decimalPoint;
        out += QString(-exponent - 1, u'0');
        out += QLatin1StringView(digits.data(), qsizetype(digits.size()));
    }
    return out;
}

QString normalNumberForm(const QString& text, const QString& decimalPoint)
{
    return numberText(leadingNumber(text), decimalPoint);
}

} // namespace tessaly
