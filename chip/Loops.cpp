#include "chip/Loops.h"

#include <algorithm>

#include "device/CommandSet.h"
#include "device/Link.h"

namespace chip {

namespace {
constexpr std::int32_t kBlankByte = 0xFF;

// What a step other than Continue makes of the loop at an address.
Outcome ended(Access& chip, Step step, std::uint32_t address) {
    switch (step) {
        case Step::Cancel:
            chip.cancel();
            return {Outcome::End::Interrupted, address};
        case Step::Lost:
            return {Outcome::End::Lost, address};
        case Step::Stop:
        case Step::Continue:
            break;
    }
    return {Outcome::End::Stopped, address};
}

Outcome lostAt(std::uint32_t address) {
    return {Outcome::End::Lost, address};
}
}  // namespace

std::uint8_t Access::read(std::uint32_t address) {
    comandos_.split(address);
    comandos_.sendRead();
    const std::uint8_t byte = link_.rec();
    if (!lost()) leido = byte;
    return byte;
}

void Access::write(std::uint32_t address, std::int32_t dato) {
    comandos_.split(address);
    comandos_.dato = dato;
    comandos_.sendWrite();
}

bool Access::lost() const {
    return link_.interrupted();
}

void Access::cancel() {
    comandos_.cancelRun();
}

Outcome readRange(Access& chip, std::uint32_t first, std::uint32_t last, const ReadHooks& hooks) {
    for (std::uint64_t a = first; a <= last; ++a) {
        const auto address = static_cast<std::uint32_t>(a);
        if (hooks.given && !hooks.given(address)) continue;
        if (const Step step = hooks.at(address); step != Step::Continue)
            return ended(chip, step, address);
        const std::uint8_t byte = chip.read(address);
        if (chip.lost()) return lostAt(address);
        hooks.read(address, byte);
    }
    return {};
}

Outcome verifyRange(Access& chip, std::uint32_t first, std::uint32_t last,
                    const std::function<std::uint8_t(std::uint32_t)>& wanted,
                    const ReadHooks& hooks, std::vector<Mismatch>& mismatches) {
    ReadHooks comparing = hooks;
    comparing.read = [&](std::uint32_t address, std::uint8_t byte) {
        const std::uint8_t expected = wanted(address);
        if (byte != expected) mismatches.push_back({address, byte, expected});
        if (hooks.read) hooks.read(address, byte);
    };
    return readRange(chip, first, last, comparing);
}

Fast fastFor(std::uint8_t tipo) {
    switch (tipo) {
        case kTipoEeprom:
            return Fast::ReadFirst;
        case kTipoProm512:
        case kTipoProm010:
            return Fast::SkipBlank;
        default:
            break;
    }
    return Fast::Off;
}

double programPassReports(Fast fast, Verification verification, int writes, int reads,
                          double blankShare) {
    const double full = writes + (verification == Verification::None ? 0 : reads);
    if (fast != Fast::SkipBlank) return full;
    const double blank = verification == Verification::EachByte ? reads : 0;
    return full * (1 - blankShare) + blank * blankShare;
}

namespace {
enum class Shortcut { None, Done, Lost };

// What fast programming spares at an address: nothing, the whole address
// (read equal, or left to the verify pass), or the programmer went away.
Shortcut spare(Access& chip, std::uint32_t address, std::int32_t dato, Verification verification,
               const ProgramHooks& hooks, Fast fast) {
    switch (fast) {
        case Fast::SkipBlank: {
            if (dato != kBlankByte) return Shortcut::None;
            // With a verify pass to come, that pass reads it.
            if (verification != Verification::EachByte) return Shortcut::Done;
            const std::uint8_t byte = chip.read(address);
            if (chip.lost()) return Shortcut::Lost;
            hooks.readBack(address, byte);
            return Shortcut::Done;
        }
        case Fast::ReadFirst: {
            const std::uint8_t byte = chip.read(address);
            if (chip.lost()) return Shortcut::Lost;
            if (byte != dato) return Shortcut::None;
            if (verification != Verification::None) hooks.readBack(address, byte);
            return Shortcut::Done;
        }
        case Fast::Off:
            break;
    }
    return Shortcut::None;
}
}  // namespace

Outcome programRange(Access& chip, std::uint32_t first, std::uint32_t last,
                     Verification verification, const ProgramHooks& hooks, Fast fast) {
    for (std::uint64_t a = first; a <= last; ++a) {
        const auto address = static_cast<std::uint32_t>(a);
        if (hooks.given && !hooks.given(address)) continue;
        if (const Step step = hooks.at(address); step != Step::Continue)
            return ended(chip, step, address);
        const std::int32_t dato = hooks.data(address);
        if (hooks.holds && hooks.holds(address)) {
            if (verification == Verification::EachByte)
                hooks.readBack(address, static_cast<std::uint8_t>(dato));
            continue;
        }
        const Shortcut shortcut = spare(chip, address, dato, verification, hooks, fast);
        if (shortcut == Shortcut::Lost) return lostAt(address);
        if (shortcut == Shortcut::Done) continue;
        for (std::int32_t attempts = 1;; ++attempts) {
            chip.write(address, dato);
            if (chip.lost()) return lostAt(address);
            if (verification == Verification::None) break;
            const std::uint8_t byte = chip.read(address);
            if (chip.lost()) return lostAt(address);
            hooks.readBack(address, byte);
            if (verification == Verification::EachByte || byte == dato) break;
            if (std::min(hooks.retries(), kMaxRetries) < attempts) break;
        }
    }
    return {};
}

}  // namespace chip
