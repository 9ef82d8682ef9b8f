#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "engine/SerialNumber.h"

namespace cli {

using engine::SerialLayout;

// The serial numbers of a bench. With --contador, the next number lives in
// its file, held under the file's lock from the start of the run to its end,
// so that two benches never write one number; without it, the numbers count
// from INICIO in this run. A chip that was not verified correct gives its
// number back, and the next chip takes it first.
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
    std::optional<Refusal> open(const SerialLayout& layout, const QString& path);

    // The numbers for the next chips, one each; none for a chip past the
    // last number there is.
    std::vector<std::optional<std::uint64_t>> take(std::size_t chips);
    // Each number taken with whether its chip was verified correct; the
    // counter file is rewritten before it returns. The failure, or nothing.
    std::optional<QString> settle(const std::vector<std::pair<std::uint64_t, bool>>& chips);
    // What the counter file says, "1002 1001".
    QString stateText() const;

  private:
    std::optional<Refusal> readState();
    QString failure(int error) const;

    SerialLayout layout_;
    QString path_;
    int fd_ = -1;
    std::uint64_t next_ = 0;
    bool exhausted_ = false;
    // Numbers given back, the lowest first.
    std::vector<std::uint64_t> returned_;
};

}  // namespace cli
