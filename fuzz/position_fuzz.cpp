// Reading a position field under random texts: the leading number never fails, and the
// position is either refused with RunTimeError 6 or is the number rounded half to even, whose
// own text reads back to it.
#include "core/runtimeerror.h"
#include "engine/numbers.h"
#include "fuzzsupport.h"

#include <cmath>

using namespace tessaly;
using tessaly::fuzz::units;

namespace {

bool sameNumber(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString text = fuzz::takeText(in, 64);
    const QString rest = fuzz::takeText(in, 16);
    const auto detail = [&] { return QString(units(text) + u' ' + units(rest)); };

    const double value = leadingNumber(text);
    FUZZ_CHECK(!std::isnan(value), detail());
    // Blanks, tabs and line feeds are skipped wherever they stand.
    QString squeezed = text;
    squeezed.remove(u' ').remove(u'\t').remove(u'\n');
    FUZZ_CHECK(sameNumber(leadingNumber(squeezed), value), detail());
    // Reading stops at the first character that cannot continue a number.
    FUZZ_CHECK(sameNumber(leadingNumber(text + u'x' + rest), value), detail());

    try {
        const qint16 position = readPosition(text);
        const double off = std::fabs(double(position) - value);
        FUZZ_CHECK(off <= 0.5, detail() + QStringLiteral(" -> %1").arg(position));
        if (off == 0.5)
            FUZZ_CHECK(position % 2 == 0, detail() + QStringLiteral(" -> %1").arg(position));
        FUZZ_CHECK(readPosition(numberText(position, QStringLiteral("."))) == position, detail());
        FUZZ_CHECK(readPosition(QString::number(position)) == position, detail());
    } catch (const RunTimeError& e) {
        FUZZ_CHECK(e.code() == ErrorCode::Overflow,
                   detail() + QStringLiteral(" error %1").arg(e.code()));
        // -32768.5 rounds to the even -32768; 32767.5 to 32768, which is out of range.
        FUZZ_CHECK(value < -32768.5 || value >= 32767.5,
                   detail() + QStringLiteral(" value %1").arg(value, 0, 'g', 17));
    }
    return 0;
}
