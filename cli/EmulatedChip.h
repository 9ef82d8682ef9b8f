#pragma once

#include <QString>
#include <optional>

#include "device/Firmware.h"

namespace cli {

// The chip of the emulated programmer kept in a file (--virtual=ARCHIVO):
// read at the start under the file's lock, then written cell by cell as the
// chip is, so that a run killed half-way leaves what a real chip would hold.
// A file that could not be read is never written.
class EmulatedChip {
  public:
    EmulatedChip() = default;
    ~EmulatedChip();
    EmulatedChip(const EmulatedChip&) = delete;
    EmulatedChip& operator=(const EmulatedChip&) = delete;

    struct Refusal {
        int exitCode;
        QString message;
    };
    // Puts the file's chip in the socket of the firmware; a missing file is
    // made with the chip as it comes.
    std::optional<Refusal> open(const QString& path, Firmware& firmware, Chip socket,
                                const QString& typeCaption);
    // The first write to the file that failed, once the run is over.
    std::optional<QString> close();

  private:
    std::optional<Refusal> create(Firmware& firmware, Chip socket);
    std::optional<Refusal> load(Firmware& firmware, Chip socket, const QString& typeCaption);
    QString failure(const QString& doing, int error) const;

    int fd_ = -1;
    QString path_;
    Firmware* firmware_ = nullptr;
    int writeError_ = 0;
};

}  // namespace cli
