#include "cli/EmulatedChip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <cerrno>

#include "cli/Messages.h"
#include "cli/Session.h"
#include "device/ExclusiveLock.h"
#include "image/SafeIo.h"

namespace cli {

EmulatedChip::~EmulatedChip() {
    close();
}

QString EmulatedChip::failure(const QString& doing, int error) const {
    return QStringLiteral("No se puede %1 el chip emulado %2: %3")
        .arg(doing, shown(path_), safe_io::reason(error));
}

std::optional<EmulatedChip::Refusal> EmulatedChip::open(const QString& path, Firmware& firmware,
                                                        Chip socket, const QString& typeCaption) {
    path_ = path;
    const QByteArray name = QFile::encodeName(path);
    const auto openExisting = [&] {
        return ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    };
    fd_ = openExisting();
    if (fd_ < 0 && errno == ENOENT) {
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        // Another run made it first: it is that run's chip now.
        if (fd_ < 0 && errno == EEXIST) fd_ = openExisting();
    }
    if (fd_ < 0) return Refusal{kUsoInvalido, failure(QStringLiteral("abrir"), errno)};
    struct stat status {};
    if (::fstat(fd_, &status) != 0)
        return Refusal{kUsoInvalido, failure(QStringLiteral("abrir"), errno)};
    if (!S_ISREG(status.st_mode))
        return Refusal{
            kUsoInvalido,
            QStringLiteral("El chip emulado %1 no es un archivo normal").arg(shown(path))};
    switch (ExclusiveLock::takeOn(fd_)) {
        case ExclusiveLock::State::Taken:
            break;
        case ExclusiveLock::State::Busy:
            return Refusal{kSinProgramador, enUsoText(lockHolderOfFd(fd_))};
        case ExclusiveLock::State::Failed:
            return Refusal{kUsoInvalido, failure(QStringLiteral("bloquear"), errno)};
    }
    // Empty: just made, here or by a run that ended before it was filled.
    if (::fstat(fd_, &status) != 0)
        return Refusal{kUsoInvalido, failure(QStringLiteral("abrir"), errno)};
    auto refusal =
        status.st_size == 0 ? create(firmware, socket) : load(firmware, socket, typeCaption);
    if (refusal) return refusal;
    // From here on the file is the chip: every cell written reaches it.
    firmware_ = &firmware;
    firmware.setStoreObserver([this, socket](Chip chip, std::uint32_t address, std::uint8_t value) {
        if (chip != socket || writeError_) return;
        if (::pwrite(fd_, &value, 1, static_cast<off_t>(address)) != 1)
            writeError_ = errno ? errno : ENOSPC;
    });
    return std::nullopt;
}

std::optional<EmulatedChip::Refusal> EmulatedChip::create(Firmware& firmware, Chip socket) {
    QByteArray bytes(static_cast<qsizetype>(Firmware::chipSize(socket)), '\0');
    for (qsizetype a = 0; a < bytes.size(); ++a)
        bytes[a] = static_cast<char>(firmware.peek(socket, static_cast<std::uint32_t>(a)));
    if (const int error = safe_io::writeFd(fd_, bytes)) {
        (void)::ftruncate(fd_, 0);
        return Refusal{kUsoInvalido, failure(QStringLiteral("crear"), error)};
    }
    return std::nullopt;
}

std::optional<EmulatedChip::Refusal> EmulatedChip::load(Firmware& firmware, Chip socket,
                                                        const QString& typeCaption) {
    const std::uint32_t size = Firmware::chipSize(socket);
    const safe_io::Read read = safe_io::readFd(fd_, size);
    if (read.end == safe_io::Read::End::Failed)
        return Refusal{kUsoInvalido, failure(QStringLiteral("leer"), read.error)};
    const qint64 length = read.end == safe_io::Read::End::TooLarge ? qint64{0} : read.bytes.size();
    // Another type's chip, or no chip at all: it stays as it is.
    if (read.end == safe_io::Read::End::TooLarge || length != size) {
        struct stat status {};
        ::fstat(fd_, &status);
        return Refusal{kUsoInvalido,
                       QStringLiteral("El chip emulado %1 tiene %2 bytes y %3 tiene %4")
                           .arg(shown(path_))
                           .arg(status.st_size)
                           .arg(typeCaption)
                           .arg(size)};
    }
    for (std::uint32_t a = 0; a < size; ++a)
        firmware.poke(socket, a, static_cast<std::uint8_t>(read.bytes[a]));
    return std::nullopt;
}

std::optional<QString> EmulatedChip::close() {
    if (firmware_) firmware_->setStoreObserver({});
    firmware_ = nullptr;
    if (fd_ < 0) return std::nullopt;
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && !writeError_) writeError_ = errno;
    if (!writeError_) return std::nullopt;
    return failure(QStringLiteral("guardar"), writeError_);
}

}  // namespace cli
