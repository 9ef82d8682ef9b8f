#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "image/Refusal.h"

namespace engine {

// --serie DIRECCION,BYTES,INICIO[,PASO][,FORMATO]: a number written into
// each chip, over the image, at those bytes.
struct SerialLayout {
    enum class Format { Le, Be, Bcd, Ascii, AsciiHex };
    std::uint32_t address = 0;
    std::uint32_t bytes = 0;
    std::uint64_t start = 0;
    std::uint64_t step = 1;
    Format format = Format::Le;
};

// The layout, or why it is refused.
image::Result<SerialLayout> parseSerial(const QString& text);
// The bytes of a number in the layout's format, or nothing when it does not
// fit in its bytes.
std::optional<std::vector<std::uint8_t>> serialBytes(const SerialLayout& layout,
                                                     std::uint64_t number);
// "le", "be", "bcd", "ascii", "asciihex".
QString serialFormatName(SerialLayout::Format format);

}  // namespace engine
