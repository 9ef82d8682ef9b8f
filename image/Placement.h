#pragma once

#include <cstdint>
#include <optional>

#include "image/ImageMap.h"

namespace image {

// Byte lane k of n: the chip's address a holds the image's byte a * n + k.
// Two chips of a 16-bit board, n = 2:
//
//   image   0  1  2  3  4  5  6  7 ...
//           |  |  |  |  |  |  |  |
//   chip 0  0  .  1  .  2  .  3  .      lane 0/2, "par"
//   chip 1  .  0  .  1  .  2  .  3      lane 1/2, "impar"
struct Lane {
    unsigned k = 0;
    unsigned n = 1;
    bool operator==(const Lane&) const = default;
};

// How a file's addresses become a chip's, in this order: the offset is added
// (chip = file + offset), the bytes of each 16-bit word are swapped, and one
// lane is taken. The fill byte stands in the range's gaps. Both ways are
// exact inverses over the addresses they share, so what is written with a
// placement reads back with it.
struct Placement {
    std::int64_t offset = 0;
    std::optional<Lane> lane;
    bool swap = false;
    std::optional<std::uint8_t> fill;

    bool moves() const { return offset != 0 || lane || swap; }
    // The chip's address of a file's address; nothing when it belongs to
    // another lane or falls below 0.
    std::optional<std::uint64_t> chipAddress(std::uint64_t fileAddress) const;
    // The file's address of a chip's address; below 0 when the offset
    // reaches past the file's start.
    std::int64_t fileAddress(std::uint64_t chipAddress) const;
    // The lowest and highest file addresses of the chip's first..last.
    std::pair<std::int64_t, std::int64_t> fileSpan(std::uint64_t first, std::uint64_t last) const;
};

// A file's bytes at the chip's addresses; outside, when given, counts those
// that land in no chip address.
Map toChip(const Map& file, const Placement& placement, std::uint64_t* outside = nullptr);
// The chip's bytes at the file's addresses; those that would fall below
// address 0 are counted in outside and left out.
Map toFile(const Map& chip, const Placement& placement, std::uint64_t* outside = nullptr);

}  // namespace image
