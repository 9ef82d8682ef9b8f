#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "chip/Loops.h"

// A PROM only clears bits: a cell with a 0 where the image needs a 1 cannot
// take the image, and is found by reading the chip before the first write,
// not in the verify pass after it has been programmed further.
namespace chip {

struct PromFit {
    Outcome outcome;
    std::uint64_t refused = 0;
    std::optional<Mismatch> first;
};

// Reads every address from first to last that hooks.given gives; wanted
// says the byte an address is to hold, or nothing to stop there (a text
// that is no byte). Marks in holding the cells that hold theirs already.
PromFit checkProm(Access& chip, std::uint32_t first, std::uint32_t last,
                  const std::function<std::optional<std::int32_t>(std::uint32_t)>& wanted,
                  const ReadHooks& hooks, std::vector<bool>& holding);

// "La memoria no admite la imagen: 37 direcciones tienen a 0 bits que la
// imagen pide a 1; la primera, 0x0010, vale 0x00 y la imagen pide 0x3C"
QString promRefusal(const PromFit& fit, std::uint32_t maxdir);

}  // namespace chip
