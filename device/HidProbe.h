#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class VirtualProgrammer;

// A look at the programmer below the link, for the hardware check: the
// matching devices and whether each opens, and bytes sent and answers
// collected exactly as asked, nothing dropped in between.
class HidProbe {
  public:
    struct Found {
        QString path;
        bool opens = false;
        QString why;  // when it does not open
    };

    virtual ~HidProbe() = default;

    virtual std::vector<Found> find() = 0;
    struct Exchange {
        std::vector<std::uint8_t> answers;
        // A report that failed may leave the programmer in the middle of a
        // command.
        bool allSent = true;
    };
    // Sends each byte in its own report, then collects up to `answers`
    // answers, each waited for a bounded time; returns those that came.
    virtual Exchange exchange(const std::vector<std::uint8_t>& bytes, int answers) = 0;
};

// The probe of the emulated programmer.
std::unique_ptr<HidProbe> makeVirtualProbe(VirtualProgrammer& programmer);
