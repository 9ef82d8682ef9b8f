#pragma once

#include <cstdint>
#include <optional>

// What the checksum line shows of the image: its 16-bit byte sum and CRC-32
// over addresses 0 to last, or the first address whose text is no byte.
struct ImageSums {
    std::uint16_t sum = 0;
    std::uint32_t crc = 0;
    std::uint32_t last = 0;
    std::optional<std::uint32_t> notAByte;
};
