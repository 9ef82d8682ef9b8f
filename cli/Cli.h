#pragma once

#include <QStringList>

#include "cli/Session.h"

namespace cli {

// The command line: parses the options, runs one order, and returns the
// exit code. Progress and messages go to the error stream.
int run(const QStringList& arguments, Streams& streams, const Backends& backends);

}  // namespace cli
