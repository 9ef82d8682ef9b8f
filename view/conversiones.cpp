#include "view/conversiones.h"

#include "view/Errors.h"

namespace {
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
constexpr int kMaxHexDigits = 8;
constexpr std::int64_t kInt32Max = 2147483647;

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}
}  // namespace

QString conversionMessage(const QString& text) {
    return QStringLiteral("''%1'' is not a valid integer value").arg(text);
}

QString numhex(std::uint32_t n) {
    char16_t digits[8];
    int count = 0;
    while (n != 0) {
        digits[count++] = kHexDigits[n % 16];
        n >>= 4;
    }
    if (count == 0) return QStringLiteral("0");
    QString text(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) text[i] = QChar(digits[count - 1 - i]);
    return text;
}

std::int32_t hexnum(const QString& text) {
    const QString converted = u'$' + text;
    std::uint32_t value = 0;
    int significant = 0;
    for (QChar c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) throw ConversionError(conversionMessage(converted));
        if (significant > 0 || digit != 0) ++significant;
        if (significant > kMaxHexDigits) throw ConversionError(conversionMessage(converted));
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    if (text.isEmpty()) throw ConversionError(conversionMessage(converted));
    return static_cast<std::int32_t>(value);
}

std::int32_t decimalToInt(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    const int firstDigit = i;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < u'0' || u > u'9') throw ConversionError(conversionMessage(text));
        value = value * 10 + (u - u'0');
        if (value > kInt32Max + 1) throw ConversionError(conversionMessage(text));
    }
    if (i == firstDigit) throw ConversionError(conversionMessage(text));
    if (negative) value = -value;
    if (value > kInt32Max) throw ConversionError(conversionMessage(text));
    return static_cast<std::int32_t>(value);
}
