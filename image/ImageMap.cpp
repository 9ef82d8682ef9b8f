#include "image/ImageMap.h"

#include <QStringList>
#include <iterator>

namespace image {

namespace {
constexpr int kListedRuns = 8;
constexpr int kLeastDigits = 4;
}  // namespace

QString hexAddressText(std::uint64_t address) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(address, kLeastDigits, 16, QLatin1Char('0')).toUpper();
}

bool Map::put(std::uint64_t address, std::uint8_t byte) {
    auto next = runs_.upper_bound(address);
    if (next != runs_.begin()) {
        auto run = std::prev(next);
        const std::uint64_t end = run->first + run->second.size();
        if (address < end) return run->second[address - run->first] == byte;
        if (address == end) {
            run->second.push_back(byte);
            ++size_;
            // The gap it closed joins the next run to this one.
            if (next != runs_.end() && next->first == address + 1) {
                run->second.insert(run->second.end(), next->second.begin(), next->second.end());
                runs_.erase(next);
            }
            return true;
        }
    }
    std::vector<std::uint8_t> bytes{byte};
    if (next != runs_.end() && next->first == address + 1) {
        bytes.insert(bytes.end(), next->second.begin(), next->second.end());
        runs_.erase(next);
    }
    runs_.emplace(address, std::move(bytes));
    ++size_;
    return true;
}

void Map::set(std::uint64_t address, std::uint8_t byte) {
    auto next = runs_.upper_bound(address);
    if (next != runs_.begin()) {
        auto run = std::prev(next);
        if (address < run->first + run->second.size()) {
            run->second[address - run->first] = byte;
            return;
        }
    }
    put(address, byte);
}

std::optional<std::uint8_t> Map::at(std::uint64_t address) const {
    auto next = runs_.upper_bound(address);
    if (next == runs_.begin()) return std::nullopt;
    const auto run = std::prev(next);
    if (address >= run->first + run->second.size()) return std::nullopt;
    return run->second[address - run->first];
}

std::uint64_t Map::lowest() const {
    return runs_.empty() ? 0 : runs_.begin()->first;
}

std::uint64_t Map::highest() const {
    if (runs_.empty()) return 0;
    const auto& last = *runs_.rbegin();
    return last.first + last.second.size() - 1;
}

QString Map::text() const {
    QStringList listed;
    for (const auto& [first, bytes] : runs_) {
        if (listed.size() == kListedRuns) {
            listed << QStringLiteral("…");
            break;
        }
        const std::uint64_t last = first + bytes.size() - 1;
        listed << (first == last
                       ? hexAddressText(first)
                       : hexAddressText(first) + QStringLiteral("–") + hexAddressText(last));
    }
    const QString runs = runs_.size() == 1 ? QStringLiteral("1 tramo")
                                           : QStringLiteral("%1 tramos").arg(runs_.size());
    if (runs_.empty()) return QStringLiteral("0 tramos; 0 bytes");
    return QStringLiteral("%1: %2; %3 bytes")
        .arg(runs, listed.join(QStringLiteral(", ")))
        .arg(size_);
}

std::optional<Map> shifted(const Map& map, std::int64_t delta) {
    if (map.empty()) return map;
    if (delta < 0 && map.lowest() < static_cast<std::uint64_t>(-delta)) return std::nullopt;
    if (delta > 0 && map.highest() + static_cast<std::uint64_t>(delta) > kLastAddress)
        return std::nullopt;
    Map moved;
    for (const auto& [first, bytes] : map.runs())
        for (std::size_t i = 0; i < bytes.size(); ++i)
            moved.put(static_cast<std::uint64_t>(static_cast<std::int64_t>(first + i) + delta),
                      bytes[i]);
    return moved;
}

Map cropped(const Map& map, std::uint64_t first, std::uint64_t last, std::uint64_t* outside) {
    Map inside;
    std::uint64_t dropped = 0;
    map.forEach([&](std::uint64_t address, std::uint8_t byte) {
        if (address >= first && address <= last)
            inside.put(address, byte);
        else
            ++dropped;
    });
    if (outside) *outside = dropped;
    return inside;
}

Map lane(const Map& map, unsigned k, unsigned n) {
    Map chip;
    map.forEach([&](std::uint64_t address, std::uint8_t byte) {
        if (address % n == k) chip.put(address / n, byte);
    });
    return chip;
}

void putLane(Map& image, const Map& chip, unsigned k, unsigned n) {
    // What the chip holds now replaces what the image held there.
    chip.forEach(
        [&](std::uint64_t address, std::uint8_t byte) { image.set(address * n + k, byte); });
}

Map swapped(const Map& map) {
    Map out;
    map.forEach([&](std::uint64_t address, std::uint8_t byte) { out.put(address ^ 1, byte); });
    return out;
}

}  // namespace image
