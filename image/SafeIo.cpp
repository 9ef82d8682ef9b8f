#include "image/SafeIo.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>

namespace safe_io {

namespace {
constexpr int kWaitMs = 100;
constexpr qsizetype kReadChunk = 1 << 20;
// A pipe takes this much at once without blocking once it has room.
constexpr qsizetype kWriteChunk = 4096;
constexpr int kTemporaryAttempts = 100;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now: a close that fails is a write that failed.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

// Waits until fd is ready for events; false when cancelled first.
bool waitFor(int fd, short events, const Cancelled& cancelled) {
    for (;;) {
        if (cancelled && cancelled()) return false;
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, kWaitMs);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return true;  // the read or write tells why
    }
}

Read failed(int error) {
    Read read;
    read.end = Read::End::Failed;
    read.error = error;
    return read;
}

// The folder a new file would go into, and the name it would take.
QString existingTarget(const QString& path) {
    const QFileInfo info(path);
    // A link is followed: the file it names is the one replaced.
    if (info.isSymLink() && info.exists()) return info.canonicalFilePath();
    return path;
}

bool isRegular(int fd, qint64* size = nullptr) {
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (size) *size = regular ? status.st_size : 0;
    return regular;
}

int writeAll(int fd, const QByteArray& bytes, const Cancelled& cancelled) {
    // A regular file never keeps a writer waiting: it takes all at once.
    const bool regular = isRegular(fd);
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (!regular && !waitFor(fd, POLLOUT, cancelled)) return ECANCELED;
        const qsizetype chunk =
            regular ? bytes.size() - done : std::min(kWriteChunk, bytes.size() - done);
        const ssize_t written = ::write(fd, bytes.constData() + done, static_cast<size_t>(chunk));
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return errno;
        }
        done += written;
    }
    return 0;
}

int openTemporaryBeside(const QString& target, QByteArray& temporary) {
    const QFileInfo info(target);
    const QString stem = info.dir().filePath(QStringLiteral(".") + info.fileName());
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        temporary = native(stem + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(),
                                                            8, 16, QLatin1Char('0')));
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The new file is complete on disk before it takes the old one's name.
int replaceAtomically(const QString& target, const QByteArray& bytes, const Cancelled& cancelled) {
    QByteArray temporary;
    Descriptor file(openTemporaryBeside(target, temporary));
    if (file.get() < 0) return errno;
    struct stat old {};
    int error = 0;
    if (::stat(native(target).constData(), &old) == 0) {
        // The new file keeps the old one's owner (where that is allowed) and mode.
        (void)::fchown(file.get(), old.st_uid, old.st_gid);
        if (::fchmod(file.get(), old.st_mode & 07777) != 0) error = errno;
    }
    if (!error) error = writeAll(file.get(), bytes, cancelled);
    if (!error && ::fsync(file.get()) != 0) error = errno;
    if (!error) error = file.close();
    if (!error && ::rename(temporary.constData(), native(target).constData()) != 0) error = errno;
    if (error) ::unlink(temporary.constData());
    return error;
}

// A device or a FIFO keeps its node: the bytes go into it. A FIFO is
// waited for until someone reads it.
int writeInPlace(const QString& path, const QByteArray& bytes, const Cancelled& cancelled) {
    for (;;) {
        const int fd = ::open(native(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            Descriptor node(fd);
            const int error = writeAll(node.get(), bytes, cancelled);
            return error ? error : node.close();
        }
        if (errno != ENXIO || !cancelled) return errno;
        if (cancelled()) return ECANCELED;
        ::usleep(kWaitMs * 1000);
    }
}
}  // namespace

QString reason(int error) {
    switch (error) {
        case ENOENT:
            return QStringLiteral("no existe");
        case EACCES:
        case EPERM:
            return QStringLiteral("permiso denegado");
        case EISDIR:
            return QStringLiteral("es una carpeta");
        case ENOTDIR:
            return QStringLiteral("una parte de la ruta no es una carpeta");
        case ENOSPC:
            return QStringLiteral("no queda espacio en el disco");
        case EDQUOT:
            return QStringLiteral("se agotó la cuota de disco");
        case EFBIG:
            return QStringLiteral("supera el tamaño de archivo permitido");
        case EPIPE:
            return QStringLiteral("quien leía la salida la cerró");
        case EBADF:
            return QStringLiteral("su descriptor está cerrado");
        case EROFS:
            return QStringLiteral("el sistema de archivos es de solo lectura");
        case ENXIO:
            return QStringLiteral("nadie lo lee ni lo escribe");
        case ENAMETOOLONG:
            return QStringLiteral("el nombre es demasiado largo");
        case ELOOP:
            return QStringLiteral("demasiados enlaces simbólicos");
        case EIO:
            return QStringLiteral("error de entrada/salida del dispositivo");
        case EBUSY:
        case ETXTBSY:
            return QStringLiteral("está en uso");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("hay demasiados archivos abiertos");
        case ENOMEM:
            return QStringLiteral("no hay memoria suficiente");
        case EXDEV:
            return QStringLiteral("está en otro sistema de archivos");
        case ECANCELED:
            return QStringLiteral("interrumpido");
        case EINVAL:
            return QStringLiteral("no admite esta operación");
        default:
            break;
    }
    return QStringLiteral("error del sistema %1").arg(error);
}

Read readFd(int fd, qint64 limit, const Cancelled& cancelled) {
    Read read;
    qint64 size = 0;
    const bool regular = isRegular(fd, &size);
    // A regular file is read in one go, and its end found by the next read.
    const qsizetype wanted = regular ? std::max<qint64>(size + 1, kReadChunk) : kReadChunk;
    for (;;) {
        if (!regular && !waitFor(fd, POLLIN, cancelled)) {
            read.end = Read::End::Cancelled;
            read.bytes.clear();
            return read;
        }
        const qsizetype chunk =
            std::min<qint64>(wanted, limit + 1 - static_cast<qint64>(read.bytes.size()));
        const qsizetype before = read.bytes.size();
        read.bytes.resize(before + chunk);
        const ssize_t count = ::read(fd, read.bytes.data() + before, static_cast<size_t>(chunk));
        read.bytes.resize(before + std::max<qsizetype>(count, 0));
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return failed(errno);
        }
        if (count == 0) return read;
        if (read.bytes.size() > limit) {
            read.end = Read::End::TooLarge;
            read.bytes.clear();
            read.bytes.squeeze();
            return read;
        }
    }
}

Read readPath(const QString& path, qint64 limit, const Cancelled& cancelled) {
    // Not blocking: a FIFO with no writer yet must not hold the open.
    Descriptor file(::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return failed(errno);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return failed(errno);
    if (S_ISDIR(status.st_mode)) return failed(EISDIR);
    if (S_ISREG(status.st_mode) && status.st_size > limit) {
        Read read;
        read.end = Read::End::TooLarge;
        return read;
    }
    return readFd(file.get(), limit, cancelled);
}

int writeFd(int fd, const QByteArray& bytes, const Cancelled& cancelled) {
    return writeAll(fd, bytes, cancelled);
}

int writePath(const QString& path, const QByteArray& bytes, const Cancelled& cancelled) {
    const QString target = existingTarget(path);
    struct stat status {};
    if (::stat(native(target).constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return EISDIR;
        if (!S_ISREG(status.st_mode)) return writeInPlace(target, bytes, cancelled);
    }
    return replaceAtomically(target, bytes, cancelled);
}

std::optional<Identity> identityOf(const QString& path) {
    struct stat status {};
    if (::stat(native(path).constData(), &status) != 0) return std::nullopt;
    return Identity{status.st_dev, status.st_ino, S_ISREG(status.st_mode)};
}

std::optional<Identity> identityOfFd(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return std::nullopt;
    return Identity{status.st_dev, status.st_ino, S_ISREG(status.st_mode)};
}

int checkWritable(const QString& path) {
    const QString target = existingTarget(path);
    struct stat status {};
    if (::stat(native(target).constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return EISDIR;
        if (::access(native(target).constData(), W_OK) != 0) return errno;
        if (!S_ISREG(status.st_mode)) return 0;
    } else if (errno != ENOENT) {
        return errno;
    }
    // A regular file is replaced by a new one made beside it.
    const QString folder = QFileInfo(target).absolutePath();
    struct stat folderStatus {};
    if (::stat(native(folder).constData(), &folderStatus) != 0) return errno;
    if (!S_ISDIR(folderStatus.st_mode)) return ENOTDIR;
    if (::access(native(folder).constData(), W_OK | X_OK) != 0) return errno;
    return 0;
}

}  // namespace safe_io
