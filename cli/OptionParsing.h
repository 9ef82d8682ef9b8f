#pragma once

#include <QString>

#include "cli/Options.h"

class QCommandLineParser;

// The pieces of the option parser, apart so that each stays small.
namespace cli::option_parsing {

// Thrown while the options are read: the run ends with exit 2.
struct Refused {
    QString message;
};

// A bench's options: the programmers, gangs, batches, serial numbers, the
// record's operator, the emulated programmers and their faults.
void addBenchOptions(QCommandLineParser& parser);
void readBenchOptions(const QCommandLineParser& parser, Options& options);

}  // namespace cli::option_parsing
