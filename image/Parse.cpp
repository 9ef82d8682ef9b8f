#include "image/Parse.h"

#include <QStringList>

#include "image/Texts.h"

namespace image {

namespace {
constexpr std::uint64_t kLargestNumber = 0xFFFFFFFFull;
constexpr std::uint32_t kLargestByte = 0xFF;

// Decimal, or hexadecimal written as 0x1F0, $1F0 or 1F0h, as assemblers
// and hex editors write it.
std::optional<std::uint32_t> digitsValue(const QString& text) {
    QStringView digits(text);
    bool hexadecimal = true;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    else if (digits.startsWith(u'$'))
        digits = digits.mid(1);
    else if (digits.endsWith(u'h', Qt::CaseInsensitive))
        digits.chop(1);
    else
        hexadecimal = false;
    if (digits.isEmpty()) return std::nullopt;
    const std::uint64_t base = hexadecimal ? 16 : 10;
    std::uint64_t value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        const int digit = (u >= '0' && u <= '9')                  ? u - '0'
                          : (hexadecimal && u >= 'a' && u <= 'f') ? u - 'a' + 10
                          : (hexadecimal && u >= 'A' && u <= 'F') ? u - 'A' + 10
                                                                  : -1;
        if (digit < 0) return std::nullopt;
        value = value * base + static_cast<std::uint64_t>(digit);
        if (value > kLargestNumber) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}
}  // namespace

Result<std::uint32_t> parseNumber(const QString& text) {
    if (const auto value = digitsValue(text)) return *value;
    return refused(
        QStringLiteral("%1 no es un número (decimal, o hexadecimal con 0x)").arg(shownText(text)));
}

Result<std::uint8_t> parseByte(const QString& text) {
    const auto value = digitsValue(text);
    if (value && *value <= kLargestByte) return static_cast<std::uint8_t>(*value);
    return refused(QStringLiteral("%1 no es un byte (0–255 o 0x00–0xFF)").arg(shownText(text)));
}

Result<std::int64_t> parseOffset(const QString& text) {
    const bool negative = text.startsWith(u'-');
    const auto magnitude = digitsValue(negative || text.startsWith(u'+') ? text.mid(1) : text);
    if (!magnitude)
        return refused(QStringLiteral("%1 no es un número (decimal, o hexadecimal con 0x, con "
                                      "signo si hace falta)")
                           .arg(shownText(text)));
    return negative ? -std::int64_t{*magnitude} : std::int64_t{*magnitude};
}

Result<Lane> parseLane(const QString& text) {
    const QString lower = text.toLower();
    if (lower == QLatin1String("par")) return Lane{0, 2};
    if (lower == QLatin1String("impar")) return Lane{1, 2};
    const QStringList parts = text.split(u'/');
    if (parts.size() == 2) {
        const auto k = digitsValue(parts[0]);
        const auto n = digitsValue(parts[1]);
        if (k && n && (*n == 2 || *n == 4) && *k < *n) return Lane{*k, *n};
    }
    return refused(QStringLiteral("%1 no es un carril (K/2 o K/4 con K desde 0, par o impar)")
                       .arg(shownText(text)));
}

Result<Format> parseFormat(const QString& text) {
    for (const Format format : {Format::Binary, Format::IntelHex, Format::SRecord, Format::Memory})
        if (text.compare(formatKey(format), Qt::CaseInsensitive) == 0) return format;
    return refused(
        QStringLiteral("formato desconocido: %1 (bin, hex, srec o mem)").arg(shownText(text)));
}

QString laneKey(const Lane& lane) {
    return QStringLiteral("%1/%2").arg(lane.k).arg(lane.n);
}

QString offsetKey(std::int64_t offset) {
    const std::uint64_t magnitude =
        offset < 0 ? std::uint64_t(-(offset + 1)) + 1 : std::uint64_t(offset);
    return (offset < 0 ? QStringLiteral("-0x") : QStringLiteral("0x")) +
           QString::number(magnitude, 16).toUpper();
}

QString formatKey(Format format) {
    switch (format) {
        case Format::Binary:
            return QStringLiteral("bin");
        case Format::IntelHex:
            return QStringLiteral("hex");
        case Format::SRecord:
            return QStringLiteral("srec");
        case Format::Memory:
            break;
    }
    return QStringLiteral("mem");
}

QString formatName(Format format) {
    switch (format) {
        case Format::IntelHex:
            return QStringLiteral("Intel HEX");
        case Format::SRecord:
            return QStringLiteral("S-records");
        case Format::Memory:
            return QStringLiteral("archivo de memoria");
        case Format::Binary:
            break;
    }
    return QStringLiteral("binario");
}

}  // namespace image
