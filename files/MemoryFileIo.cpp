#include "files/MemoryFileIo.h"

#include <QElapsedTimer>
#include <cerrno>

#include "image/SafeIo.h"
#include "view/Errors.h"

namespace memory_file {

namespace {
constexpr qint64 kLongestWaitMs = 10'000;

QString readError(const QString& path, const QString& reason) {
    return QStringLiteral("No se puede leer el archivo %1: %2").arg(path, reason);
}

QString writeError(const QString& path, const QString& reason) {
    return QStringLiteral("No se puede escribir el archivo %1: %2").arg(path, reason);
}
}  // namespace

Contents read(const QString& path) {
    return parse(readBytes(path));
}

QByteArray readBytes(const QString& path) {
    // A FIFO nobody writes must not hold the window for ever.
    QElapsedTimer waiting;
    waiting.start();
    safe_io::Read read = safe_io::readPath(
        path, kMaxFileBytes, [&waiting] { return waiting.hasExpired(kLongestWaitMs); });
    switch (read.end) {
        case safe_io::Read::End::Complete:
            return std::move(read.bytes);
        case safe_io::Read::End::TooLarge:
            throw IoError(
                readError(path, QStringLiteral("es demasiado grande para un archivo de memoria")));
        case safe_io::Read::End::Cancelled:
            throw IoError(readError(path, QStringLiteral("nadie lo escribe")));
        case safe_io::Read::End::Failed:
            break;
    }
    if (read.error == ENOENT) throw IoError(kFileNotFound);
    throw IoError(readError(path, safe_io::reason(read.error)));
}

void write(const QString& path, const QByteArray& bytes) {
    if (const int error = safe_io::writePath(path, bytes))
        throw IoError(writeError(path, safe_io::reason(error)));
}

}  // namespace memory_file
