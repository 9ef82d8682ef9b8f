#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "cli/Arguments.h"
#include "image/SafeIo.h"

class QIODevice;

namespace cli {

// Where the command line reads and writes besides its own files.
struct Streams {
    QIODevice& in;
    QIODevice& out;
    QIODevice& err;
    bool errIsTerminal = false;
    bool inIsTerminal = false;
    bool outIsTerminal = false;
    // Closed by the shell that started the run.
    bool inClosed = false;
    bool outClosed = false;
};

// Ctrl+C, SIGTERM or SIGHUP came: a wait for input or output ends.
bool interrupted();

// Standard input to its end, within the readers' bound; a wait on it ends
// on a signal.
safe_io::Read readStream(QIODevice& in);
// 0, or the error number of a write that failed (EBADF when closed).
int writeStream(QIODevice& out, bool closed, const QByteArray& bytes);

}  // namespace cli
