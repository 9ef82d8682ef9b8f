#pragma once

#include <QString>
#include <QStringList>

#include "cli/Session.h"

namespace cli {

class Command;

// How one chip's run ended.
struct ChipOutcome {
    int code = 0;
    // correcto, sin verificar, difiere, interrumpido, error.
    QString result;
    // The line that tells a success, when there is one.
    QString verdict;
    // The order proved every byte: the chip keeps its serial number, even
    // when the record or the exit run failed after.
    bool numberUsed = false;
    // The serial number the chip was given, if it got as far.
    std::optional<std::uint64_t> serial;
    bool correct() const { return code == 0; }
};

// One chip on one programmer: the order from its checks to its record line.
// The single run and every worker of a gang go through here.
ChipOutcome runChip(const Options& options, Streams& streams, Station& station, ChipContext context,
                    Command& command, const QStringList& arguments);

// The exit code of many chips: an interruption first, then a chip that
// differs, then a programmer that failed, then a chip that was not there,
// then any other failure.
int combinedCode(const std::vector<int>& codes);

// A file of one chip of a gang or a batch: "dump.bin" becomes
// "dump-VIRTUAL-1-003.bin". Standard streams, devices and FIFOs stay as
// they are.
QString perChipPath(const QString& path, const QString& programmer, int sequence);

}  // namespace cli
