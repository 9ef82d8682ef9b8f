#pragma once

#include <QString>
#include <cstdint>

#include "image/ImageFormats.h"
#include "image/Placement.h"
#include "image/Refusal.h"

// The one reading of the numbers and names that both front ends take. Each
// refusal is the reason alone ("0x1G no es un número..."): the caller puts
// its prefix in front ("--carril: ", "El trabajo X: ", the dialog's field).
namespace image {

// The value a parser gives, or nothing when it refused.
template <typename T>
std::optional<T> valueOf(const Result<T>& result) {
    if (const T* value = std::get_if<T>(&result)) return *value;
    return std::nullopt;
}

// Decimal, or hexadecimal after 0x; no sign, no blanks, at most 32 bits.
Result<std::uint32_t> parseNumber(const QString& text);
// A byte: 0–255 or 0x00–0xFF.
Result<std::uint8_t> parseByte(const QString& text);
// A number with an optional sign, "-0xE000".
Result<std::int64_t> parseOffset(const QString& text);
// "K/2" or "K/4" with K below N, "par" (0/2) or "impar" (1/2).
Result<Lane> parseLane(const QString& text);
// "bin", "hex", "srec" or "mem", in any case.
Result<Format> parseFormat(const QString& text);

// The words the parsers take back: "1/2", "-0xE000", "hex".
QString laneKey(const Lane& lane);
QString offsetKey(std::int64_t offset);
QString formatKey(Format format);
// "binario", "Intel HEX", "S-records", "archivo de memoria".
QString formatName(Format format);

}  // namespace image
