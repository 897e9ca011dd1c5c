#pragma once

#include <QString>

namespace tessaly {

// The number a text begins with, as the position fields are read. Blanks, tabs and line feeds
// are skipped wherever they stand; then an optional sign, decimal digits with at most one ".",
// an optional exponent (E, optional sign, digits), or &H / &O with hexadecimal / octal digits.
// Reading stops at the first character that does not fit; no number gives 0. A &H / &O value
// that fits in 16 bits reads as a signed 16-bit number (&HFFFF is -1), else one that fits in
// 32 bits as a signed 32-bit number; a longer one as its unsigned value. A decimal number
// beyond the range of double reads as an infinity. Never throws.
double leadingNumber(const QString& text);

// The leading number rounded to an integer, a half to the even neighbour. RunTimeError 6 when
// it lies outside -32768..32767.
qint16 readPosition(const QString& text);

// The text of a number: "-" for negatives, whole numbers without decimals, fractions with
// `decimalPoint`, at most 15 significant digits, and magnitudes from 1E+15 up or below 1E-04
// in the form "1.5E+20" / "1E-05". An infinity is written as the largest finite number.
QString numberText(double value, const QString& decimalPoint);
// A position field's normal form: the text of its leading number.
QString normalNumberForm(const QString& text, const QString& decimalPoint);

} // namespace tessaly
