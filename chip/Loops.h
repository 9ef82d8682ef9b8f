#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class CommandSet;
class Link;

// The loops over addresses that touch the programmer, shared by the window
// and the command line. Each asks its caller at the start of every address
// whether to go on, reports each byte it reads, and returns how it ended.
// They send nothing but the command set's sequences and runs.
// The refusals of a range, the same from both front ends.
inline const QString kSupera =
    QStringLiteral("La dirección supera la maxima dirección de la memoria");
inline const QString kOrden = QStringLiteral("La direccion2 debe ser mayor que la direccion1");

namespace chip {

// What the caller says at the start of an address: go on, cancel (as ESC
// does), the programmer is gone, or stop here for a reason of the caller's.
enum class Step { Continue, Cancel, Lost, Stop };

struct Outcome {
    enum class End { Completed, Interrupted, Lost, Stopped };
    End end = End::Completed;
    // Where it ended, when it did not complete.
    std::uint32_t at = 0;

    bool completed() const { return end == End::Completed; }
};

// An address whose byte on the chip is not the one wanted.
struct Mismatch {
    std::uint32_t address;
    std::uint8_t chip;
    std::uint8_t wanted;
};

// The most writes an address gets is the retry count + 1; larger counts are
// taken as this one, so a persistent mismatch always ends.
inline constexpr std::int32_t kMaxRetries = 255;

// The programmer as the loops drive it, one address at a time, through the
// command set of the selected memory type.
class Access {
  public:
    Access(CommandSet& comandos, Link& link) : comandos_(comandos), link_(link) {}

    // Splits the address, sends the read sequence and takes the one answer.
    std::uint8_t read(std::uint32_t address);
    // Splits the address and sends the write sequence of dato's low byte.
    void write(std::uint32_t address, std::int32_t dato);
    // The link failed or the programmer went away during this operation.
    bool lost() const;
    // The cancel run, which resets the programmer's parser.
    void cancel();

    CommandSet& comandos() { return comandos_; }

    // The last byte read from the programmer, kept between operations.
    std::int32_t leido = 0;

  private:
    CommandSet& comandos_;
    Link& link_;
};

struct ReadHooks {
    std::function<Step(std::uint32_t address)> at;
    // Each byte read; a byte that never came is not reported.
    std::function<void(std::uint32_t address, std::uint8_t byte)> read;
    // Set, only the addresses it gives are read: the others are passed by.
    std::function<bool(std::uint32_t address)> given = {};
};

Outcome readRange(Access& chip, std::uint32_t first, std::uint32_t last, const ReadHooks& hooks);

// Reads a range and lists where it differs from the wanted bytes.
Outcome verifyRange(Access& chip, std::uint32_t first, std::uint32_t last,
                    const std::function<std::uint8_t(std::uint32_t)>& wanted,
                    const ReadHooks& hooks, std::vector<Mismatch>& mismatches);

enum class Verification {
    None,               // written once, not read back
    EachByte,           // written once, read back once
    EachByteWithRetry,  // written again while the byte read back differs, as retries allow
};

struct ProgramHooks {
    std::function<Step(std::uint32_t address)> at;
    // The value to write at an address; only its low byte goes out, but a
    // read-back is compared with all of it.
    std::function<std::int32_t(std::uint32_t address)> data;
    std::function<void(std::uint32_t address, std::uint8_t byte)> readBack;
    // Asked afresh after each failed attempt.
    std::function<std::int32_t()> retries;
    // Set, only the addresses it gives are programmed: a gap of the image
    // is left as the chip holds it.
    std::function<bool(std::uint32_t address)> given = {};
    // Set, an address it names holds its byte already (read before): it is
    // not written, and a read-back of each byte takes the byte as read.
    std::function<bool(std::uint32_t address)> holds = {};
};

// Fast programming sends only the reports a chip needs and still proves
// every byte. A PROM only clears bits, so an FF of the image is not written:
// it is read instead, by the verify pass that follows or, without one, at
// once. An EEPROM byte is read first and written only when it differs. A
// verify pass still reads every address: a write that lands on another cell
// (an address line held low) must not go unseen. Static RAMs write as fast
// as they read.
enum class Fast { Off, SkipBlank, ReadFirst };
Fast fastFor(std::uint8_t tipo);

// The reports a program pass sends per address on average, for the progress
// estimate: a fast PROM pass spares the share of the image that is FF.
double programPassReports(Fast fast, Verification verification, int writes, int reads,
                          double blankShare);

Outcome programRange(Access& chip, std::uint32_t first, std::uint32_t last,
                     Verification verification, const ProgramHooks& hooks, Fast fast = Fast::Off);

}  // namespace chip
