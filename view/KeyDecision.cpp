#include "view/KeyDecision.h"

#include <bitset>

namespace {
constexpr char16_t kBackspace = 8;
constexpr char16_t kLowerToUpper = 32;
constexpr std::size_t kEightBitCodes = 256;

std::bitset<kEightBitCodes> allowedSet(bool hexadecimal) {
    std::bitset<kEightBitCodes> set;
    set.set(kBackspace);
    for (char16_t c = u'0'; c <= u'9'; ++c) set.set(c);
    if (hexadecimal)
        for (char16_t c = u'A'; c <= u'F'; ++c) set.set(c);
    return set;
}

const std::bitset<kEightBitCodes> kDecimalSet = allowedSet(false);
const std::bitset<kEightBitCodes> kHexadecimalSet = allowedSet(true);
}  // namespace

std::optional<char16_t> filterKey(char16_t character, std::uint8_t hexa) {
    const std::bitset<kEightBitCodes>& set = hexa == 1 ? kHexadecimalSet : kDecimalSet;
    if (character >= u'a' && character <= u'z') character -= kLowerToUpper;
    if (character >= kEightBitCodes || !set.test(character)) return std::nullopt;
    return character;
}
