#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// One row of the table of memory types the programmer knows.
struct MemoryType {
    const char* caption;  // menu item text
    std::uint8_t tipo;
    std::uint32_t maxdir;  // last address, inclusive
    std::uint8_t writeCommand;
    std::uint8_t readCommand;
    bool threeAddressBytes;  // dirx is sent after dirl and dirh
    int pauseAfterWriteMs;
};

inline constexpr std::array<MemoryType, 5> kMemoryTypes = {{
    {"Sram 24 Pines", 0, 1023, 3, 4, false, 0},
    {"Sram 28 Pines", 1, 8191, 1, 2, false, 0},
    {"Eprom 28c64", 2, 8191, 6, 2, false, 14},
    {"Prom 27c512", 3, 65535, 10, 11, true, 0},
    {"Prom 27c010", 4, 131071, 12, 11, true, 0},
}};

inline constexpr std::uint8_t kTipoInicial = 1;
inline constexpr std::uint8_t kTipoEeprom = 2;
inline constexpr std::uint8_t kTipoProm512 = 3;
inline constexpr std::uint8_t kTipoProm010 = 4;
inline constexpr std::uint32_t kLargestMemory = 131072;

const MemoryType& memoryType(std::uint8_t tipo);

// The short names the command line and job files use: sram24, sram28,
// 28c64, 27c512, 27c010.
QString memoryTypeName(std::uint8_t tipo);
// A short name or a menu caption, in any case.
std::optional<std::uint8_t> memoryTypeNamed(const QString& text);

// The EEPROM and the PROMs have an erased state (every byte FF); the static
// RAMs have none.
inline constexpr bool hasErasedState(std::uint8_t tipo) {
    return tipo >= kTipoEeprom;
}
