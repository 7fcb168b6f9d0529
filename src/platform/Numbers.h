#pragma once
// Number conversions with the semantics the windows were written against:
// the lenient Val of BASIC, whole-number conversions with a range check, and
// the fixed-width decimal and hexadecimal fields of the program's files.
#include <QString>
#include <QStringView>

#include <optional>

namespace dzq {

// The numeric value at the start of text. Blanks, tabs, line feeds and
// carriage returns are ignored wherever they stand; then an optional sign,
// digits with at most one decimal point and an optional exponent (E or D),
// or "&H" and hexadecimal digits. Reading stops at the first other character;
// text without a number is 0. A hexadecimal value up to FFFF is a signed
// 16-bit number, up to FFFFFFFF a signed 32-bit one (so "&HFFFF" is -1).
// An exponent beyond the range of double gives +/-infinity.
double Val(QStringView text);

// value rounded to the nearest whole number, halves to the even one (2.5 -> 2,
// 3.5 -> 4), as a 16-bit integer. A value outside -32768..32767 is clamped to
// the nearer bound and NaN gives 0; *ok (when given) says whether the value
// was in range.
int CInt(double value, bool *ok = nullptr);

// The largest whole number not above value (Int(-2.5) = -3), clamped to the
// 32-bit range; NaN gives 0; *ok (when given) says whether it was in range.
int Int(double value, bool *ok = nullptr);

// Decimal text of value padded on the left with "0" to width characters
// (never cut): decimalField(7, 2) = "07", decimalField(-1, 2) = "-1".
QString decimalField(int value, int width);
// Upper-case hexadecimal text of value padded on the left with "0" to width
// characters (never cut); a negative value is written as its 32-bit two's
// complement: hexField(255, 4) = "00FF", hexField(-1, 2) = "FFFFFFFF".
QString hexField(int value, int width);

// Reads a field written by decimalField: one or more digits 0-9 and nothing
// else. Anything else (empty, blanks, signs, letters) is no number.
std::optional<int> parseDecimalField(QStringView field);
// Reads a field written by hexField: 1 to 8 hexadecimal digits (either case)
// and nothing else; eight digits are read as a signed 32-bit value.
std::optional<int> parseHexField(QStringView field);

} // namespace dzq
