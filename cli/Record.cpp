#include "cli/Record.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "cli/Messages.h"
#include "files/SafeIo.h"

namespace cli {

const QString Record::kCabecera =
    QStringLiteral("fecha,tipo,orden,rango,crc32,resultado,diferencias,segundos\n");

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

std::optional<QString> Record::append(const QString& line) {
    // Every run that appends waits its turn: the lines never mix, and only
    // the first finds the file empty.
    while (::flock(fd_, LOCK_EX) != 0)
        if (errno != EINTR) return failure(errno);
    struct stat status {};
    QByteArray bytes;
    if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode) && status.st_size == 0)
        bytes = kCabecera.toUtf8();
    bytes += (line + u'\n').toUtf8();
    // One write: with O_APPEND it lands whole at the end.
    const ssize_t written = ::write(fd_, bytes.constData(), static_cast<size_t>(bytes.size()));
    const int error = written < 0 ? errno : written < bytes.size() ? ENOSPC : 0;
    // Half a line would spoil the file for every later reader.
    if (error && S_ISREG(status.st_mode)) (void)::ftruncate(fd_, status.st_size);
    ::flock(fd_, LOCK_UN);
    if (error) return failure(error);
    return std::nullopt;
}

}  // namespace cli
