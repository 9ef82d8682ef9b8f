#pragma once

#include <QByteArray>
#include <QString>

#include "image/MemoryFile.h"

// A memory file on disk, for the window: its faults are IoError, shown in
// the standard error box.
namespace memory_file {

// Reads a whole file, of at most kMaxFileBytes. Throws IoError when it
// cannot be read.
Contents read(const QString& path);
QByteArray readBytes(const QString& path);

// Writes the bytes so that a file is replaced only once all of them are
// written; a device or a FIFO is written in place. Throws IoError naming
// the path and the reason.
void write(const QString& path, const QByteArray& bytes);

}  // namespace memory_file
