// The number normal form under random texts and random doubles: its shape, at most 15
// significant digits, the value kept to that precision, and a second pass finds nothing to
// change where the decimal separator is ".".
#include "engine/numbers.h"
#include "fuzzsupport.h"

#include <cfloat>
#include <cmath>
#include <cstring>

using namespace tessaly;
using tessaly::fuzz::units;

namespace {

const QString point = QStringLiteral(".");

// "-"?, digits, ("." digits)?, ("E" sign two or three digits)?; no leading zero but in "0" or
// "0.", no trailing zero in a fraction, at most 15 significant digits.
bool wellFormed(const QString& s)
{
    qsizetype i = 0;
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9')
            ++i;
        return s.mid(start, i - start);
    };
    if (i < s.size() && s[i] == u'-')
        ++i;
    const QString whole = digits();
    if (whole.isEmpty() || (whole.size() > 1 && whole.front() == u'0'))
        return false;
    QString fraction;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        fraction = digits();
        if (fraction.isEmpty() || fraction.back() == u'0')
            return false;
    }
    if (i < s.size() && s[i] == u'E') {
        ++i;
        if (i == s.size() || (s[i] != u'+' && s[i] != u'-'))
            return false;
        ++i;
        const QString exponent = digits();
        if (exponent.size() < 2 || exponent.size() > 3 || whole.size() != 1)
            return false;
    }
    if (i != s.size())
        return false;
    QString significant = whole + fraction;
    while (significant.size() > 1 && significant.front() == u'0')
        significant.remove(0, 1);
    return significant.size() <= 15;
}

template <typename Detail> void checkNumber(double value, Detail detail)
{
    const QString normal = numberText(value, point);
    const auto shown = [&] { return detail() + QStringLiteral(" -> ") + normal; };
    FUZZ_CHECK(wellFormed(normal), shown());
    FUZZ_CHECK(numberText(leadingNumber(normal), point) == normal, shown());
    // Another separator changes nothing but the separator.
    FUZZ_CHECK(numberText(value, QStringLiteral(",")) == QString(normal).replace(u'.', u','),
               shown());
    if (std::isnan(value) || value == 0) {
        FUZZ_CHECK(normal == u"0", shown());
        return;
    }
    FUZZ_CHECK(normal.startsWith(u'-') == std::signbit(value), shown());
    const double back = leadingNumber(normal);
    if (std::isinf(value)) {
        FUZZ_CHECK(std::isinf(back) || std::fabs(back) >= DBL_MAX * (1 - 1e-14), shown());
    } else if (std::fabs(value) >= DBL_MIN) {
        // Half a unit of the 15th digit (5e-15 of the value at most, for a value 1.0...), plus
        // the reading's own rounding to a double (1.000030517578125 -> "1.00003051757812"
        // reads back 5.0002e-15 below it).
        const double bound = std::fabs(value) * 5e-15 + std::fabs(value) * DBL_EPSILON;
        FUZZ_CHECK(std::fabs(back - value) <= bound || std::isinf(back), shown());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString text = fuzz::takeText(in, 64);
    const double number = leadingNumber(text);
    checkNumber(number, [&] { return units(text); });
    FUZZ_CHECK(normalNumberForm(text, point) == numberText(number, point), units(text));

    // Any double at all, infinities, NaNs and subnormals included.
    std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
    double raw;
    std::memcpy(&raw, &bits, sizeof raw);
    checkNumber(raw, [&] { return QStringLiteral("bits %1").arg(bits, 16, 16, QChar(u'0')); });
    return 0;
}
