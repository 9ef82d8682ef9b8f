// The session's files: what it reads and writes besides the programmer,
// and the format each is written in.
#include <cerrno>

#include "cli/Messages.h"
#include "cli/Session.h"
#include "image/ImageIo.h"
#include "image/SafeIo.h"

namespace cli {

void Session::refuseRead(const QString& path, int error) {
    const QString name = pathShown(path, QStringLiteral("la entrada estándar"));
    if (error == ENOENT) fail(kUsoInvalido, QStringLiteral("No existe el archivo %1").arg(name));
    fail(kUsoInvalido, QStringLiteral("No se puede leer %1: %2").arg(name, safe_io::reason(error)));
}

QByteArray Session::readInput(const QString& path) {
    const bool standard = path == QLatin1String("-");
    if (standard && streams_.inClosed) refuseRead(path, EBADF);
    if (standard && streams_.inIsTerminal && !options_.silencioso)
        say(QStringLiteral("Leyendo la entrada estándar; termine con Ctrl+D"));
    safe_io::Read read = standard ? readStream(streams_.in)
                                  : safe_io::readPath(path, safe_io::kMaxInputBytes, interrupted);
    const QString name = pathShown(path, QStringLiteral("la entrada estándar"));
    switch (read.end) {
        case safe_io::Read::End::Complete:
            return std::move(read.bytes);
        case safe_io::Read::End::Cancelled:
            fail(kInterrumpido, QStringLiteral("Interrumpido mientras se leía %1").arg(name));
        case safe_io::Read::End::TooLarge:
            fail(kUsoInvalido, capitalized(QStringLiteral("%1 pasa de 64 MiB: ninguna imagen de "
                                                          "memoria es tan grande")
                                               .arg(name)));
        case safe_io::Read::End::Failed:
            break;
    }
    refuseRead(path, read.error);
}

int Session::writeOutputFile(const QString& path, const QByteArray& bytes) {
    return path == QLatin1String("-") ? writeStream(streams_.out, streams_.outClosed, bytes)
                                      : safe_io::writePath(path, bytes, interrupted);
}

void Session::writeOutput(const QString& path, const QByteArray& bytes) {
    const int error = writeOutputFile(path, bytes);
    if (error == 0) return;
    const QString name = pathShown(path, QStringLiteral("la salida estándar"));
    if (error == ECANCELED)
        fail(kInterrumpido, QStringLiteral("Interrumpido mientras se escribía %1").arg(name));
    fail(kUsoInvalido,
         QStringLiteral("No se puede escribir %1: %2").arg(name, safe_io::reason(error)));
}

FileFormat Session::outputFormatOf(const QString& path) {
    if (options_.formato) return *options_.formato;
    if (path == QLatin1String("-")) return FileFormat::Binary;
    if (const auto format = image::formatOfPath(path)) return *format;
    // A device or a FIFO takes the bytes as they are, as standard output does.
    if (const auto identity = safe_io::identityOf(path); identity && !identity->regular)
        return FileFormat::Binary;
    fail(
        kUsoInvalido,
        QStringLiteral(
            "No se sabe en qué formato escribir %1: indíquelo con --formato bin | hex | srec | mem")
            .arg(shown(path)));
}

}  // namespace cli
