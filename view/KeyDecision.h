#pragma once

#include <cstdint>
#include <optional>

// What a number field receives for a typed character: the character itself,
// upper-cased when it is a letter, or nothing when it is refused. Decimal
// fields take backspace and digits; hexadecimal ones also A to F.
std::optional<char16_t> filterKey(char16_t character, std::uint8_t hexa);
