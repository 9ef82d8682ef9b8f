#include "cli/Arguments.h"

#include "device/MemoryTypes.h"

namespace cli {

std::optional<std::uint8_t> parseType(const QString& text) {
    return memoryTypeNamed(text);
}

QString typeName(std::uint8_t tipo) {
    return memoryTypeName(tipo);
}

}  // namespace cli
