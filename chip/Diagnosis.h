#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Why a chip differs: a missing chip, a stuck data line, an address line
// held low and a PROM that was not erased each leave a pattern of their own
// in a comparison; otherwise the differences are summed up.
namespace chip {

// One address compared: what the chip gave and what was wanted there.
struct Compared {
    std::uint32_t address;
    std::uint8_t chip;
    std::uint8_t wanted;
};

// A line in Spanish for a comparison with differences; nothing without.
// The addresses come in ascending order; hexadecimal numbers carry hexPrefix.
// An EEPROM that took none of its writes is called protected, not dead.
std::optional<QString> diagnose(const std::vector<Compared>& compared, bool prom,
                                const QString& hexPrefix = {}, bool eeprom = false);

}  // namespace chip
