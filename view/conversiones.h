#pragma once

#include <QString>
#include <cstdint>

// Upper-case hexadecimal without prefix or leading zeros; "0" for zero.
QString numhex(std::uint32_t n);

// Hexadecimal text (either case, at most eight significant digits) to its
// 32-bit two's-complement value. Throws ConversionError naming "$" + text.
std::int32_t hexnum(const QString& text);

// Decimal text: optional leading blanks, optional sign, digits, within the
// signed 32-bit range. Throws ConversionError naming the text.
std::int32_t decimalToInt(const QString& text);

// "''%s'' is not a valid integer value" with the text in place.
QString conversionMessage(const QString& text);
