#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The values the command line's options and orders take.
namespace cli {

enum class FileFormat { Binary, IntelHex, SRecord, Memory };

// Byte lane k of n: the chip's address a holds the image's byte a * n + k.
struct Lane {
    unsigned k;
    unsigned n;
    bool operator==(const Lane&) const = default;
};
// "K/2" or "K/4" with K below N, "par" (0/2) or "impar" (1/2).
std::optional<Lane> parseLane(const QString& text);

// "bin", "hex", "srec", "mem"; nothing for another name.
std::optional<FileFormat> formatNamed(const QString& name);
// The name formatNamed takes.
QString formatKey(FileFormat format);

// Decimal, or hexadecimal after 0x; nothing for anything else or past 32 bits.
std::optional<std::uint32_t> parseNumber(const QString& text);
// sram24, sram28, 28c64, 27c512, 27c010, or a menu caption, in any case.
std::optional<std::uint8_t> parseType(const QString& text);
// The short name of a memory type.
QString typeName(std::uint8_t tipo);

}  // namespace cli
