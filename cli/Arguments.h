#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "image/ImageFormats.h"
#include "image/Parse.h"
#include "image/Placement.h"

// The values the command line's options and orders take: the image's own,
// and the memory types.
namespace cli {

using FileFormat = image::Format;
using Lane = image::Lane;

using image::valueOf;

// Decimal, or hexadecimal after 0x; nothing for anything else or past 32 bits.
inline std::optional<std::uint32_t> parseNumber(const QString& text) {
    return valueOf(image::parseNumber(text));
}
// sram24, sram28, 28c64, 27c512, 27c010, or a menu caption, in any case.
std::optional<std::uint8_t> parseType(const QString& text);
// The short name of a memory type.
QString typeName(std::uint8_t tipo);

}  // namespace cli
