#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/ImageFormats.h"

struct NumberFormat;

// The image's bytes as search and the hex view's sums see them: gridBytes'
// rule (an empty cell is FF), with the addresses whose text is no byte kept
// apart; only a wildcard matches them.
struct ImageBytes {
    image::Bytes bytes;
    std::vector<std::uint32_t> notBytes;  // ascending

    bool isByte(std::size_t address) const;
    // Reads addresses first to last again from their texts, after they changed.
    void refresh(const std::vector<QString>& texts, std::size_t first, std::size_t last,
                 const NumberFormat& format);
    // The first address in first..last whose text is no byte.
    std::optional<std::size_t> firstNotAByte(std::size_t first, std::size_t last) const;
};
ImageBytes imageBytes(const std::vector<QString>& texts, std::size_t count,
                      const NumberFormat& format);
// The same of count addresses from first alone, counted from first.
ImageBytes spanBytes(const std::vector<QString>& texts, std::size_t first, std::size_t count,
                     const NumberFormat& format);

// Bytes to look for; a wildcard position matches any byte.
struct BytePattern {
    std::vector<std::uint8_t> bytes;
    std::vector<bool> wildcard;
    // Letters match in either case (Latin-1's as well as ASCII's).
    bool anyCase = false;

    std::size_t size() const { return bytes.size(); }
};

// "DE AD ?? EF" or "DEADBEEF": pairs of hexadecimal digits, blanks and commas
// between them as one likes, "??" for any byte when wildcards are allowed.
// Nothing for any other text, or an empty one.
std::optional<BytePattern> hexPattern(const QString& text, bool wildcards = true);
// The characters of a text as bytes (Latin-1); nothing when one is past 0xFF
// or the text is empty.
std::optional<BytePattern> textPattern(const QString& text, bool anyCase = false);

// Bytes pasted as people copy them: "12 34", "1234", "0x12, 0x34", "$12,$34",
// "12h 34h", a C array ("{ 0x12, 0x34 };") or an assembler line ("db 12h, 34h",
// ".byte $12"). Nothing when any part is no byte.
std::optional<std::vector<std::uint8_t>> pastedBytes(const QString& text);

// The first match at or after from, or the last one that starts before
// before; nothing when none does.
std::optional<std::size_t> findForward(const ImageBytes& image, const BytePattern& pattern,
                                       std::size_t from);
std::optional<std::size_t> findBackward(const ImageBytes& image, const BytePattern& pattern,
                                        std::size_t before);

// "DE AD BE EF".
QString hexText(const image::Bytes& bytes, std::size_t first, std::size_t count);
