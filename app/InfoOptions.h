#pragma once

#include <QString>
#include <optional>

// --help and --version of a window program, answered on standard output
// before any window exists (no display needed). Returns the exit status when
// one of them was asked for; anything else on the command line is left alone.
std::optional<int> answerInfoOptions(int argc, char** argv, const QString& program,
                                     const QString& usage);
