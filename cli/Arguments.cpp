#include "cli/Arguments.h"

#include <array>

#include "device/MemoryTypes.h"

namespace cli {

namespace {
const std::array<const char*, 5> kTypeNames = {"sram24", "sram28", "28c64", "27c512", "27c010"};
}

std::optional<std::uint32_t> parseNumber(const QString& text) {
    const bool hexadecimal = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hexadecimal ? text.mid(2) : text;
    // No sign, no blanks: an address or a byte is written as it is.
    if (digits.isEmpty() ||
        !(digits.front().isDigit() || (hexadecimal && digits.front().isLetter())))
        return std::nullopt;
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, hexadecimal ? 16 : 10);
    if (!ok || value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint8_t> parseType(const QString& text) {
    for (const MemoryType& type : kMemoryTypes) {
        if (text.compare(QLatin1String(kTypeNames[type.tipo]), Qt::CaseInsensitive) == 0 ||
            text.compare(QLatin1String(type.caption), Qt::CaseInsensitive) == 0)
            return type.tipo;
    }
    return std::nullopt;
}

QString typeName(std::uint8_t tipo) {
    return QString::fromLatin1(kTypeNames.at(tipo));
}

}  // namespace cli
