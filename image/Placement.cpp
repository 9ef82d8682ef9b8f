#include "image/Placement.h"

#include <algorithm>

namespace image {

namespace {
constexpr std::uint64_t kWordSwap = 1;
}  // namespace

std::optional<std::uint64_t> Placement::chipAddress(std::uint64_t fileAddress) const {
    const std::int64_t moved = std::int64_t(fileAddress) + offset;
    if (moved < 0 || std::uint64_t(moved) > kLastAddress) return std::nullopt;
    std::uint64_t a = std::uint64_t(moved);
    if (swap) a ^= kWordSwap;
    if (!lane) return a;
    if (a % lane->n != lane->k) return std::nullopt;
    return a / lane->n;
}

std::int64_t Placement::fileAddress(std::uint64_t chipAddress) const {
    std::uint64_t a = lane ? chipAddress * lane->n + lane->k : chipAddress;
    if (swap) a ^= kWordSwap;
    return std::int64_t(a) - offset;
}

std::pair<std::int64_t, std::int64_t> Placement::fileSpan(std::uint64_t first,
                                                          std::uint64_t last) const {
    // A swap moves an address by one within its word: the ends and their
    // neighbours hold the extremes.
    std::int64_t low = fileAddress(first), high = fileAddress(last);
    for (const std::uint64_t a : {first, first + 1, last > 0 ? last - 1 : last, last})
        if (a >= first && a <= last) {
            low = std::min(low, fileAddress(a));
            high = std::max(high, fileAddress(a));
        }
    return {low, high};
}

Map toChip(const Map& file, const Placement& placement, std::uint64_t* outside) {
    if (!placement.moves()) return file;
    Map chip;
    std::uint64_t dropped = 0;
    file.forEach([&](std::uint64_t address, std::uint8_t byte) {
        if (const auto a = placement.chipAddress(address))
            chip.set(*a, byte);
        else if (!placement.lane || std::int64_t(address) + placement.offset < 0)
            ++dropped;
    });
    if (outside) *outside += dropped;
    return chip;
}

Map toFile(const Map& chip, const Placement& placement, std::uint64_t* outside) {
    if (!placement.moves()) return chip;
    Map file;
    std::uint64_t dropped = 0;
    chip.forEach([&](std::uint64_t address, std::uint8_t byte) {
        const std::int64_t a = placement.fileAddress(address);
        if (a < 0 || std::uint64_t(a) > kLastAddress)
            ++dropped;
        else
            file.set(std::uint64_t(a), byte);
    });
    if (outside) *outside += dropped;
    return file;
}

}  // namespace image
