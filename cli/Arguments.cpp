#include "cli/Arguments.h"

#include <QStringList>

#include "device/MemoryTypes.h"

namespace cli {

std::optional<std::uint32_t> parseNumber(const QString& text) {
    const bool hexadecimal = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QStringView digits = hexadecimal ? QStringView(text).mid(2) : QStringView(text);
    // No sign, no blanks, no second prefix: an address or a byte is written
    // as it is, digit by digit.
    if (digits.isEmpty()) return std::nullopt;
    const int base = hexadecimal ? 16 : 10;
    std::uint64_t value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        const int digit = (u >= '0' && u <= '9')                  ? u - '0'
                          : (hexadecimal && u >= 'a' && u <= 'f') ? u - 'a' + 10
                          : (hexadecimal && u >= 'A' && u <= 'F') ? u - 'A' + 10
                                                                  : -1;
        if (digit < 0) return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint8_t> parseType(const QString& text) {
    return memoryTypeNamed(text);
}

std::optional<Lane> parseLane(const QString& text) {
    const QString lower = text.toLower();
    if (lower == QLatin1String("par")) return Lane{0, 2};
    if (lower == QLatin1String("impar")) return Lane{1, 2};
    const QStringList parts = text.split(u'/');
    if (parts.size() != 2) return std::nullopt;
    const auto k = parseNumber(parts[0]);
    const auto n = parseNumber(parts[1]);
    if (!k || !n || (*n != 2 && *n != 4) || *k >= *n) return std::nullopt;
    return Lane{*k, *n};
}

std::optional<FileFormat> formatNamed(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("bin")) return FileFormat::Binary;
    if (lower == QLatin1String("hex")) return FileFormat::IntelHex;
    if (lower == QLatin1String("srec")) return FileFormat::SRecord;
    if (lower == QLatin1String("mem")) return FileFormat::Memory;
    return std::nullopt;
}

QString formatKey(FileFormat format) {
    switch (format) {
        case FileFormat::Binary:
            return QStringLiteral("bin");
        case FileFormat::IntelHex:
            return QStringLiteral("hex");
        case FileFormat::SRecord:
            return QStringLiteral("srec");
        case FileFormat::Memory:
            break;
    }
    return QStringLiteral("mem");
}

QString typeName(std::uint8_t tipo) {
    return memoryTypeName(tipo);
}

}  // namespace cli
