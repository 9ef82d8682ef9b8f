#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace cli {

struct Streams;

// A file the run reads or writes, and what it is to the run, for messages:
// "el archivo de salida", "--registro", "el chip emulado".
struct Target {
    QString path;  // "-": standard input or output
    QString what;
};

struct Targets {
    std::vector<Target> inputs;
    std::vector<Target> outputs;
    // Read and written in place.
    std::optional<Target> chip;
};

// Why the run may not go on, found before the programmer is touched: an
// output whose folder is missing or that may not be written, a closed
// standard stream, or one file named twice (an output that is also the
// input, the chip or another output).
std::optional<QString> refusal(const Targets& targets, const Streams& streams);

}  // namespace cli
