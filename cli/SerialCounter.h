#pragma once

#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "engine/SerialNumber.h"

namespace cli {

using engine::SerialLayout;

// The serial numbers of a bench. With --contador, the next number lives in
// its file, held under the file's lock from the start of the run to its end,
// so that two benches never write one number; without it, the numbers count
// from INICIO in this run.
//
// A number goes through these states, each written to the file (fdatasync)
// before the step it guards:
//   reservado  taken for a chip, before the chip is touched
//   grabando   before the first byte of the number is sent
// and then leaves the file's pending lines:
//   grabada    the chip verified correct (its record line written first)
//   anulada    the chip failed after a byte of it may have been sent: a PROM
//              keeps what it got, so the number is never given again
//   devuelta   no byte of it was sent: the next chip takes it first
// Pending lines found at the start belong to a run that died (the lock is
// ours): a reserved number is given back, a burning one voided.
class SerialCounter {
  public:
    SerialCounter() = default;
    ~SerialCounter();
    SerialCounter(const SerialCounter&) = delete;
    SerialCounter& operator=(const SerialCounter&) = delete;

    struct Refusal {
        int exitCode;
        QString message;
    };
    // What the start settled of a run that died.
    struct Settled {
        std::vector<std::uint64_t> givenBack;
        std::vector<std::uint64_t> voided;
    };
    std::optional<Refusal> open(const SerialLayout& layout, const QString& path);
    const Settled& settledAtStart() const { return settled_; }

    // The numbers for the next chips, one each, reserved in the file before
    // any chip is touched; none for a chip past the last number there is.
    // The failure, or nothing.
    std::optional<QString> take(std::size_t chips,
                                std::vector<std::optional<std::uint64_t>>& numbers);
    // A byte of number may reach its chip from now on. Safe from any thread.
    std::optional<QString> burning(std::uint64_t number);
    // Each number taken with whether its chip was verified correct; the
    // counter file is rewritten before it returns. The failure, or nothing.
    std::optional<QString> settle(const std::vector<std::pair<std::uint64_t, bool>>& chips);
    // What the counter file's first line says, "1002 1001".
    QString stateText() const;

  private:
    std::optional<Refusal> readState();
    std::optional<Refusal> checkReturned(const QString& line) const;
    std::optional<QString> write();
    QString failure(int error) const;

    SerialLayout layout_;
    QString path_;
    int fd_ = -1;
    std::uint64_t next_ = 0;
    bool exhausted_ = false;
    // Numbers given back, the lowest first.
    std::vector<std::uint64_t> returned_;
    // Numbers reserved by this run, and those of them burning.
    std::vector<std::uint64_t> reserved_;
    std::vector<std::uint64_t> burning_;
    Settled settled_;
    std::mutex mutex_;
};

}  // namespace cli
