#include "device/MemoryTypes.h"

#include <array>

const MemoryType& memoryType(std::uint8_t tipo) {
    return kMemoryTypes.at(tipo < kMemoryTypes.size() ? tipo : kTipoInicial);
}

namespace {
const std::array<const char*, 5> kTypeNames = {"sram24", "sram28", "28c64", "27c512", "27c010"};
}

QString memoryTypeName(std::uint8_t tipo) {
    return QString::fromLatin1(kTypeNames.at(tipo));
}

std::optional<std::uint8_t> memoryTypeNamed(const QString& text) {
    for (const MemoryType& type : kMemoryTypes) {
        if (text.compare(QLatin1String(kTypeNames[type.tipo]), Qt::CaseInsensitive) == 0 ||
            text.compare(QLatin1String(type.caption), Qt::CaseInsensitive) == 0)
            return type.tipo;
    }
    return std::nullopt;
}
