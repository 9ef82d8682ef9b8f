#include "cli/SerialCounter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <limits>

#include "cli/Messages.h"
#include "device/ExclusiveLock.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
constexpr qint64 kLongestCounter = 4096;
constexpr qsizetype kShownText = 40;
constexpr int kSinProgramador = 3;
constexpr int kUsoInvalido = 2;
}  // namespace

SerialCounter::~SerialCounter() {
    if (fd_ >= 0) ::close(fd_);
}

QString SerialCounter::failure(int error) const {
    return QStringLiteral("No se puede usar el contador %1: %2")
        .arg(shown(path_), safe_io::reason(error));
}

std::optional<SerialCounter::Refusal> SerialCounter::open(const SerialLayout& layout,
                                                          const QString& path) {
    layout_ = layout;
    next_ = layout.start;
    path_ = path;
    if (path.isEmpty()) return std::nullopt;
    fd_ = ::open(QFile::encodeName(path).constData(),
                 O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) return Refusal{kUsoInvalido, failure(errno)};
    struct stat status {};
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))
        return Refusal{kUsoInvalido, failure(EINVAL)};
    switch (ExclusiveLock::takeOn(fd_)) {
        case ExclusiveLock::State::Taken:
            break;
        case ExclusiveLock::State::Busy: {
            const auto holder = lockHolderOfFd(fd_);
            QString text =
                QStringLiteral("El contador %1 está en uso por otro programa").arg(shown(path));
            if (holder)
                text +=
                    holder->name.isEmpty()
                        ? QStringLiteral(" (pid %1)").arg(holder->pid)
                        : QStringLiteral(" (pid %1, %2)").arg(holder->pid).arg(shown(holder->name));
            return Refusal{kSinProgramador, text};
        }
        case ExclusiveLock::State::Failed:
            return Refusal{kUsoInvalido, failure(errno)};
    }
    return readState();
}

namespace {
const QString kReservado = QStringLiteral("reservado");
const QString kGrabando = QStringLiteral("grabando");
}  // namespace

std::optional<SerialCounter::Refusal> SerialCounter::readState() {
    QByteArray text(kLongestCounter, '\0');
    const ssize_t count = ::pread(fd_, text.data(), text.size(), 0);
    if (count < 0) return Refusal{kUsoInvalido, failure(errno)};
    text.truncate(count);
    // Only an empty file is a new counter, which starts at INICIO.
    if (text.isEmpty()) return std::nullopt;
    const QList<QByteArray> lines = text.split('\n');
    const QString line = QString::fromUtf8(lines.constFirst()).simplified();
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return Refusal{kUsoInvalido, QStringLiteral("El contador %1 no tiene un número: su "
                                                    "primera línea está vacía")
                                         .arg(shown(path_))};
    // "-" first: no new number is left, only those given back.
    exhausted_ = words.constFirst() == QLatin1String("-");
    std::vector<std::uint64_t> numbers;
    for (const QString& word : exhausted_ ? words.mid(1) : words) {
        bool ok = false;
        numbers.push_back(word.toULongLong(&ok));
        if (!ok || word.startsWith(u'+'))
            return Refusal{kUsoInvalido, QStringLiteral("El contador %1 no tiene un número: %2")
                                             .arg(shown(path_), shown(line.left(kShownText)))};
    }
    if (!exhausted_) {
        next_ = numbers.front();
        numbers.erase(numbers.begin());
    }
    returned_ = std::move(numbers);
    std::sort(returned_.begin(), returned_.end());
    if (const auto refusal = checkReturned(line)) return refusal;
    // The pending lines of a run that died: the lock is ours, so none is alive.
    for (const QByteArray& pending : lines.mid(1)) {
        const QStringList parts = QString::fromUtf8(pending).simplified().split(u' ');
        bool ok = false;
        const std::uint64_t number = parts.value(1).toULongLong(&ok);
        if (parts.size() != 2 || !ok) continue;
        if (parts[0] == kReservado) settled_.givenBack.push_back(number);
        if (parts[0] == kGrabando) settled_.voided.push_back(number);
    }
    if (settled_.givenBack.empty() && settled_.voided.empty()) return std::nullopt;
    returned_.insert(returned_.end(), settled_.givenBack.begin(), settled_.givenBack.end());
    std::sort(returned_.begin(), returned_.end());
    if (const auto failed = write()) return Refusal{kUsoInvalido, *failed};
    return std::nullopt;
}

// A number given back was handed out before: it lies below the next one,
// and it is given back once. A hand-edited counter that says otherwise
// would put one number on two chips.
std::optional<SerialCounter::Refusal> SerialCounter::checkReturned(const QString& line) const {
    for (std::size_t i = 0; i < returned_.size(); ++i) {
        const bool twice = i > 0 && returned_[i] == returned_[i - 1];
        const bool notYet = !exhausted_ && returned_[i] >= next_;
        if (!twice && !notYet) continue;
        return Refusal{
            kUsoInvalido,
            QStringLiteral("El contador %1 no vale (\"%2\"): %3; un número devuelto debe ser "
                           "menor que el siguiente y estar una sola vez")
                .arg(shown(path_), shown(line.left(kShownText)),
                     twice ? QStringLiteral("%1 está dos veces").arg(returned_[i])
                           : QStringLiteral("%1 no es menor que el siguiente, %2")
                                 .arg(returned_[i])
                                 .arg(next_))};
    }
    return std::nullopt;
}

std::optional<QString> SerialCounter::take(std::size_t chips,
                                           std::vector<std::optional<std::uint64_t>>& numbers) {
    const std::lock_guard<std::mutex> hold(mutex_);
    numbers.clear();
    for (std::size_t i = 0; i < chips; ++i) {
        if (!returned_.empty()) {
            numbers.push_back(returned_.front());
            returned_.erase(returned_.begin());
        } else if (exhausted_) {
            numbers.push_back(std::nullopt);
        } else {
            numbers.push_back(next_);
            // No number comes after the largest: it never wraps to 0.
            if (next_ > std::numeric_limits<std::uint64_t>::max() - layout_.step)
                exhausted_ = true;
            else
                next_ += layout_.step;
        }
        if (numbers.back()) reserved_.push_back(*numbers.back());
    }
    return write();
}

std::optional<QString> SerialCounter::burning(std::uint64_t number) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (std::find(burning_.begin(), burning_.end(), number) != burning_.end()) return std::nullopt;
    burning_.push_back(number);
    return write();
}

QString SerialCounter::stateText() const {
    QStringList words{exhausted_ ? QStringLiteral("-") : QString::number(next_)};
    for (const std::uint64_t number : returned_) words << QString::number(number);
    return words.join(u' ');
}

std::optional<QString> SerialCounter::write() {
    if (fd_ < 0) return std::nullopt;
    QString text = stateText() + u'\n';
    for (const std::uint64_t number : reserved_)
        text +=
            (std::find(burning_.begin(), burning_.end(), number) != burning_.end() ? kGrabando
                                                                                   : kReservado) +
            u' ' + QString::number(number) + u'\n';
    const QByteArray bytes = text.toUtf8();
    // Written in place under the lock, the lines first and the rest cut
    // after: a rewrite cut short still reads as whole lines.
    errno = ENOSPC;
    if (::pwrite(fd_, bytes.constData(), static_cast<std::size_t>(bytes.size()), 0) !=
            bytes.size() ||
        ::ftruncate(fd_, bytes.size()) != 0 || ::fdatasync(fd_) != 0)
        return failure(errno) + QStringLiteral(". Escriba en él a mano \"%1\"").arg(stateText());
    return std::nullopt;
}

std::optional<QString> SerialCounter::settle(
    const std::vector<std::pair<std::uint64_t, bool>>& chips) {
    const std::lock_guard<std::mutex> hold(mutex_);
    // A run that took no number changes nothing, and writes nothing.
    if (chips.empty()) return std::nullopt;
    for (const auto& [number, correct] : chips) {
        reserved_.erase(std::remove(reserved_.begin(), reserved_.end(), number), reserved_.end());
        const auto burnt = std::find(burning_.begin(), burning_.end(), number);
        const bool wasBurning = burnt != burning_.end();
        if (wasBurning) burning_.erase(burnt);
        // A byte of it may be in the chip: never given again.
        if (!correct && !wasBurning) returned_.push_back(number);
    }
    std::sort(returned_.begin(), returned_.end());
    if (const auto failed = write()) {
        QStringList used;
        for (const auto& [number, correct] : chips)
            if (correct) used << QString::number(number);
        return *failed + (used.isEmpty() ? QString()
                                         : QStringLiteral(": las memorias correctas llevan %1")
                                               .arg(used.join(QStringLiteral(", "))));
    }
    return std::nullopt;
}

}  // namespace cli
