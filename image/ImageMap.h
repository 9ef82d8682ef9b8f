#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// An image as a file gives it: bytes at addresses, and which addresses those
// are (its coverage), kept as a few runs of consecutive addresses. Offsets,
// byte lanes and swaps are pure functions from one map to another.
namespace image {

class Map {
  public:
    using Runs = std::map<std::uint64_t, std::vector<std::uint8_t>>;

    // A byte at an address; false, leaving the map as it was, when another
    // byte is there already. The same byte twice is no conflict.
    bool put(std::uint64_t address, std::uint8_t byte);
    // A byte at an address, whatever was there.
    void set(std::uint64_t address, std::uint8_t byte);
    std::optional<std::uint8_t> at(std::uint64_t address) const;
    bool given(std::uint64_t address) const { return at(address).has_value(); }

    const Runs& runs() const { return runs_; }
    bool empty() const { return runs_.empty(); }
    // The bytes given.
    std::uint64_t size() const { return size_; }
    std::uint64_t lowest() const;
    std::uint64_t highest() const;

    // "3 tramos: 0x0000–0x0FFF, 0x2000–0x20FF, 0xFFF0–0xFFFF; 4352 bytes"
    QString text() const;

    // Every byte of the runs, in address order.
    template <typename Visit>
    void forEach(Visit visit) const {
        for (const auto& [first, bytes] : runs_)
            for (std::size_t i = 0; i < bytes.size(); ++i) visit(first + i, bytes[i]);
    }

  private:
    Runs runs_;
    std::uint64_t size_ = 0;
};

// The highest address a map may hold: files speak of 32-bit addresses.
inline constexpr std::uint64_t kLastAddress = 0xFFFFFFFFull;

// Every address moved by delta; nothing when one would leave 0..kLastAddress.
std::optional<Map> shifted(const Map& map, std::int64_t delta);
// The part of the map from first to last, and how many bytes lay outside.
Map cropped(const Map& map, std::uint64_t first, std::uint64_t last, std::uint64_t* outside);
// Lane k of n: chip address a holds the image's byte at a * n + k.
Map lane(const Map& map, unsigned k, unsigned n);
// The bytes of one chip put back into lane k of n of an image.
void putLane(Map& image, const Map& chip, unsigned k, unsigned n);
// The two bytes of every 16-bit word swapped; a lone byte moves alone.
Map swapped(const Map& map);

// "0x0FFF", with at least four digits.
QString hexAddressText(std::uint64_t address);

}  // namespace image
