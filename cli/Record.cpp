#include "cli/Record.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <cerrno>

#include "cli/Messages.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
constexpr int kLockPollUs = 20'000;
constexpr qint64 kSilentWaitMs = 1000;
}  // namespace

const QString Record::kCabeceraAntigua =
    QStringLiteral("fecha,tipo,orden,rango,crc32,resultado,diferencias,segundos\n");
const QString Record::kCabecera = QStringLiteral(
    "fecha,tipo,orden,rango,crc32,resultado,diferencias,segundos,lote,secuencia,serie,operario,"
    "equipo,version,programador,imagen,modo,verificacion,reintentos,comprobacion,"
    "primera_diferencia,diagnostico\n");
const QString Record::kCabeceraSellada = kCabecera.trimmed() + QStringLiteral(",trabajo\n");

namespace {
// A field with a comma, a quote or a line break goes between quotes.
QString csvField(QString text) {
    text.replace(u'\n', u' ').replace(u'\r', u' ');
    if (!text.contains(u',') && !text.contains(u'"')) return text;
    return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}
}  // namespace

QStringList RecordEntry::fields() const {
    return {
        fecha,       tipo,   orden,     rango,        crc32,      resultado,    diferencias,
        segundos,    lote,   secuencia, serie,        operario,   equipo,       version,
        programador, imagen, modo,      verificacion, reintentos, comprobacion, primeraDiferencia,
        diagnostico};
}

Record::~Record() {
    if (fd_ >= 0) ::close(fd_);
}

QString Record::failure(int error) const {
    return QStringLiteral("No se puede escribir el registro %1: %2")
        .arg(shown(path_), safe_io::reason(error));
}

std::optional<QString> Record::open(const QString& path) {
    path_ = path;
    // Not blocking: a FIFO that nobody reads is refused, not waited for.
    fd_ = ::open(QFile::encodeName(path).constData(),
                 O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) return failure(errno);
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode)) return failure(EISDIR);
    ::fcntl(fd_, F_SETFL, O_WRONLY | O_APPEND);
    return std::nullopt;
}

int Record::lock(const std::function<bool()>& cancelled) {
    // Every run that appends waits its turn, says so, and a signal ends the wait.
    bool told = false;
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return errno;
        if (cancelled && cancelled()) return ECANCELED;
        // A turn of a few milliseconds is no news; a held lock is.
        if (!told && waiting_ && waited.hasExpired(kSilentWaitMs))
            waiting_(QStringLiteral("Esperando al registro %1, que usa otro "
                                    "programa…")
                         .arg(shown(path_)));
        told = told || waited.hasExpired(kSilentWaitMs);
        ::usleep(kLockPollUs);
    }
    return 0;
}

int Record::columnsOfHeader() const {
    const int beforeSeal = int(kCabecera.count(u',')) + 1;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return beforeSeal;
    // A header written on another system may end in CR LF.
    const QByteArray header = file.readLine(kCabeceraSellada.size() * 2).trimmed();
    for (const QString* known : {&kCabeceraAntigua, &kCabecera, &kCabeceraSellada})
        if (header == known->trimmed().toUtf8()) return int(known->count(u',')) + 1;
    return beforeSeal;
}

bool Record::endsLine(qint64 size) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(size - 1)) return true;
    return file.read(1) == "\n";
}

std::optional<QString> Record::append(const RecordEntry& entry,
                                      const std::function<bool()>& cancelled) {
    if (const int error = lock(cancelled)) return failure(error);
    // Under the lock the lines never mix, and only the first finds the file empty.
    struct stat status {};
    QByteArray bytes;
    const bool regular = ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode);
    if (regular && status.st_size == 0) bytes = kCabeceraSellada.toUtf8();
    QStringList fields = entry.fields() << entry.trabajo;
    // A pipe or a device has no header: it gets the columns before the seal.
    const int columns = regular && status.st_size > 0 ? columnsOfHeader()
                        : regular                     ? int(fields.size())
                                                      : int(fields.size()) - 1;
    fields = fields.mid(0, columns);
    if (columns == 8) fields[5] = entry.resultadoAntiguo;
    for (QString& field : fields) field = csvField(field);
    // A line left without its end by another program is ended first.
    if (regular && status.st_size > 0 && !endsLine(status.st_size)) bytes += '\n';
    bytes += (fields.join(u',') + u'\n').toUtf8();
    // One write: with O_APPEND it lands whole at the end.
    int error = safe_io::writeFd(fd_, bytes, cancelled);
    // The line is what commits a chip and its serial number: on the disk
    // before the counter lets the number go.
    if (!error && regular && ::fdatasync(fd_) != 0) error = errno;
    // Half a line would spoil the file for every later reader.
    if (error && S_ISREG(status.st_mode)) (void)::ftruncate(fd_, status.st_size);
    ::flock(fd_, LOCK_UN);
    if (error) return failure(error);
    return std::nullopt;
}

}  // namespace cli
