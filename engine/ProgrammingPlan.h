#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "chip/Loops.h"
#include "chip/Progress.h"
#include "chip/PromCheck.h"

// Which passes a programming run makes, decided once for both front ends,
// and the run of them. As flags on a context:
//
//   fast        PROMs skip FF, the EEPROM reads first (chip::fastFor)
//   verify      each byte read back (a range retries; a fill does not) and,
//               for a range, a second pass that reads it all
//   checkFirst  a PROM read before it is written: refused with nothing
//               written when it cannot take the image
//   every       every address the image gives is written, whatever the
//               check read there (off: a cell that holds its byte is left)
namespace engine {

enum class Programming { Range, Fill };

struct PlanAsk {
    std::uint8_t tipo = 0;
    Programming kind = Programming::Range;
    bool verify = true;
    bool fast = false;
    bool checkFirst = false;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    int writeReports = 0;
    int readReports = 0;
    // The share of the range whose byte is FF, for the estimate of a fast PROM pass.
    double blankShare = 0;
};

struct Plan {
    chip::Fast fast = chip::Fast::Off;
    chip::Verification verification = chip::Verification::None;
    bool checkProm = false;
    bool verifyPass = false;
    // Without it, a cell the check found holding its byte is not written.
    bool everyAddress = true;
    std::vector<Progress::Pass> passes;
};

Plan planProgramming(const PlanAsk& ask);

struct RunHooks {
    std::function<chip::Step(std::uint32_t)> at;
    std::function<std::uint8_t(std::uint32_t)> wanted;
    // Set, only these addresses are checked, written and verified.
    std::function<bool(std::uint32_t)> given;
    std::function<void(std::uint32_t, std::uint8_t)> readBack;
    std::function<std::int32_t()> retries;
    // Before the program pass sends anything for an address.
    std::function<void(std::uint32_t)> beforeWrite;
    // Each byte of the verify pass.
    std::function<void(std::uint32_t, std::uint8_t)> verified;
    // Between passes.
    std::function<void()> nextPass;
};

// How a run ended:
//   outcome not completed   a loop stopped (cancelled, the programmer lost)
//   fit.refused > 0         the check refused the chip; nothing was written
//   mismatches              what differs after the last pass (empty: correct,
//                           or nothing read back without verification)
struct RunOutcome {
    chip::Outcome outcome;
    std::optional<chip::PromFit> fit;
    std::vector<chip::Mismatch> mismatches;
};

RunOutcome runPlan(chip::Access& chip, const Plan& plan, std::uint32_t first, std::uint32_t last,
                   std::size_t memorySize, const RunHooks& hooks);

}  // namespace engine
