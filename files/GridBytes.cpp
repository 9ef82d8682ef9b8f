#include "files/GridBytes.h"

#include "view/NumberFormat.h"

namespace {
constexpr std::uint8_t kEmptyCell = 0xFF;
}  // namespace

GridBytes gridBytes(const std::vector<QString>& texts, std::size_t count,
                    const NumberFormat& format) {
    GridBytes result;
    result.bytes.resize(count);
    for (std::size_t a = 0; a < count; ++a) {
        if (a >= texts.size() || texts[a].isEmpty()) {
            result.bytes[a] = kEmptyCell;
            continue;
        }
        const auto byte = format.readByte(texts[a]);
        if (!byte) {
            result.notAByte = a;
            return result;
        }
        result.bytes[a] = *byte;
    }
    return result;
}

ImageSums imageSums(const std::vector<QString>& texts, std::size_t count,
                    const NumberFormat& format) {
    const GridBytes image = gridBytes(texts, count, format);
    const auto last = static_cast<std::uint32_t>(count - 1);
    if (image.notAByte) return {0, 0, last, static_cast<std::uint32_t>(*image.notAByte)};
    return {image::sum16(image.bytes), image::crc32(image.bytes), last, std::nullopt};
}
