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

std::optional<SerialCounter::Refusal> SerialCounter::readState() {
    QByteArray text(kLongestCounter, '\0');
    const ssize_t count = ::pread(fd_, text.data(), text.size(), 0);
    if (count < 0) return Refusal{kUsoInvalido, failure(errno)};
    text.truncate(count);
    // Only an empty file is a new counter, which starts at INICIO.
    if (text.isEmpty()) return std::nullopt;
    // The text ends at its first line break: what a cut rewrite left after
    // it is no number.
    const qsizetype end = text.indexOf('\n');
    const QString line = QString::fromUtf8(end < 0 ? text : text.left(end)).simplified();
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
    return std::nullopt;
}

std::vector<std::optional<std::uint64_t>> SerialCounter::take(std::size_t chips) {
    std::vector<std::optional<std::uint64_t>> numbers;
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
    }
    return numbers;
}

QString SerialCounter::stateText() const {
    QStringList words{exhausted_ ? QStringLiteral("-") : QString::number(next_)};
    for (const std::uint64_t number : returned_) words << QString::number(number);
    return words.join(u' ');
}

std::optional<QString> SerialCounter::settle(
    const std::vector<std::pair<std::uint64_t, bool>>& chips) {
    for (const auto& [number, correct] : chips)
        if (!correct) returned_.push_back(number);
    std::sort(returned_.begin(), returned_.end());
    if (fd_ < 0) return std::nullopt;
    const QByteArray text = (stateText() + u'\n').toUtf8();
    // Written in place under the lock, the line first and the rest cut
    // after: a rewrite cut short still reads as a whole line.
    errno = ENOSPC;
    if (::pwrite(fd_, text.constData(), static_cast<std::size_t>(text.size()), 0) != text.size() ||
        ::ftruncate(fd_, text.size()) != 0 || ::fdatasync(fd_) != 0) {
        QStringList used;
        for (const auto& [number, correct] : chips)
            if (correct) used << QString::number(number);
        return failure(errno) +
               QStringLiteral(". Escriba en él a mano \"%1\"%2")
                   .arg(stateText(), used.isEmpty() ? QString()
                                                    : QStringLiteral(": las memorias correctas "
                                                                     "llevan %1")
                                                          .arg(used.join(QStringLiteral(", "))));
    }
    return std::nullopt;
}

}  // namespace cli
