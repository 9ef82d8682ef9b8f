#include "device/ExclusiveLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

namespace {
constexpr int kEveryoneReadsAndWrites = 0666;

ExclusiveLock::State lockState(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return ExclusiveLock::State::Taken;
    return errno == EWOULDBLOCK ? ExclusiveLock::State::Busy : ExclusiveLock::State::Failed;
}

std::optional<LockHolder> holderOf(const struct stat& status) {
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return std::nullopt;
    // "1: FLOCK  ADVISORY  WRITE 6163 fe:00:10952854 0 EOF"; waiters carry "->".
    const QString file = QStringLiteral("%1:%2:%3")
                             .arg(major(status.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(minor(status.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(status.st_ino);
    const QStringList lines = QString::fromLatin1(locks.readAll()).split(u'\n');
    for (const QString& line : lines) {
        const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
        if (fields.size() < 6 || fields[1] == QLatin1String("->")) continue;
        if (fields[1] != QLatin1String("FLOCK") || fields[5] != file) continue;
        bool ok = false;
        const long long pid = fields[4].toLongLong(&ok);
        if (!ok || pid <= 0) return std::nullopt;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        const QString name = comm.open(QIODevice::ReadOnly)
                                 ? QString::fromUtf8(comm.readAll()).trimmed()
                                 : QString();
        return LockHolder{pid, name};
    }
    return std::nullopt;
}
}  // namespace

ExclusiveLock::~ExclusiveLock() {
    release();
}

ExclusiveLock::ExclusiveLock(ExclusiveLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

ExclusiveLock& ExclusiveLock::operator=(ExclusiveLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

namespace {
// Another user's lock file is opened as it is: in a sticky folder a create
// of it would be refused. A link is never followed.
int openLockFile(const QByteArray& name) {
    for (;;) {
        // Without waiting: a FIFO put at the lock's path must not hold us.
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            struct stat status {};
            if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) return fd;
            ::close(fd);
            errno = EINVAL;
            return -1;
        }
        if (errno != ENOENT) return fd;
        const int made =
            ::open(name.constData(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   kEveryoneReadsAndWrites);
        // Made here: open to the users that come after, whatever our umask.
        if (made >= 0) ::fchmod(made, kEveryoneReadsAndWrites);
        if (made >= 0 || errno != EEXIST) return made;
    }
}
}  // namespace

ExclusiveLock::State ExclusiveLock::take(const QString& path) {
    if (held()) return State::Taken;
    const int fd = openLockFile(QFile::encodeName(path));
    if (fd < 0) {
        error_ = errno;
        return State::Failed;
    }
    const State state = lockState(fd);
    if (state == State::Taken) {
        fd_ = fd;
        return state;
    }
    error_ = errno;
    ::close(fd);
    return state;
}

ExclusiveLock::State ExclusiveLock::takeOn(int fd) {
    return lockState(fd);
}

void ExclusiveLock::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

QString lockFileProblem(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    return S_ISLNK(status.st_mode) ? QStringLiteral("%1 es un enlace simbólico").arg(path)
                                   : QStringLiteral("%1 no es un archivo normal").arg(path);
}

std::optional<LockHolder> lockHolderOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) return std::nullopt;
    return holderOf(status);
}

std::optional<LockHolder> lockHolderOfFd(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return std::nullopt;
    return holderOf(status);
}

QString enUsoText(const std::optional<LockHolder>& holder) {
    const QString text = QStringLiteral("El programador está en uso por otro programa");
    if (!holder) return text;
    if (holder->name.isEmpty()) return text + QStringLiteral(" (pid %1)").arg(holder->pid);
    return text + QStringLiteral(" (pid %1, %2)").arg(holder->pid).arg(holder->name);
}

QString lockFailureText(const QString& path, int error) {
    const QString why = error == EACCES || error == EPERM ? QStringLiteral("permiso denegado")
                        : error == ELOOP ? QStringLiteral("es un enlace simbólico")
                        : error == EROFS
                            ? QStringLiteral("el sistema de archivos es de solo lectura")
                        : error == ENOENT ? QStringLiteral("no existe la carpeta")
                        : error == EINVAL ? QStringLiteral(
                                                "no es un archivo normal (una FIFO, un dispositivo "
                                                "o una carpeta): bórrelo")
                                          : QStringLiteral("error del sistema %1").arg(error);
    return QStringLiteral("No se puede tomar el bloqueo del programador %1: %2").arg(path, why);
}

QString defaultLockFolder() {
    // Chosen by the folder's own mode, not by who asks: root and every user
    // must meet in the same place.
    const QString runLock = QStringLiteral("/run/lock");
    struct stat status {};
    if (::stat(QFile::encodeName(runLock).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
        (status.st_mode & S_IWOTH))
        return runLock;
    return QStringLiteral("/tmp");
}

QString programmerLockPath(const QString& folder, const std::string& devicePath) {
    // "/dev/hidraw3" becomes "programador-dev-hidraw3.lock".
    QString name = QString::fromStdString(devicePath);
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._]+")), QStringLiteral("-"));
    while (name.startsWith(u'-')) name.remove(0, 1);
    return QDir(folder).filePath(QStringLiteral("programador-%1.lock").arg(name));
}
