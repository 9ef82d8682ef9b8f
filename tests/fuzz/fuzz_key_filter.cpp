// The key filter's decision: only backspace, digits and (in hexadecimal)
// A to F ever reach a field, and a character let through passes again as is.
#include <cstdint>
#include <cstdlib>

#include "view/KeyDecision.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        const char16_t typed = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        const std::uint8_t hexa = data[i + 2] & 1;
        const auto passed = filterKey(typed, hexa);
        if (!passed) continue;
        const char16_t c = *passed;
        const bool digit = c >= u'0' && c <= u'9';
        const bool letter = hexa == 1 && c >= u'A' && c <= u'F';
        if (!(c == 8 || digit || letter)) std::abort();
        if (filterKey(c, hexa) != passed) std::abort();
    }
    return 0;
}
