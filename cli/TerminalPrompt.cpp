#include "cli/TerminalPrompt.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <cerrno>

#include "cli/Streams.h"
#include "image/SafeIo.h"

namespace cli {

namespace {
constexpr int kPollMs = 100;
constexpr int kLongestAnswer = 4096;
}  // namespace

TerminalPrompt::~TerminalPrompt() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<QString> TerminalPrompt::open() {
    fd_ = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ >= 0) return std::nullopt;
    const int error = errno;
    return QStringLiteral(
               "--lote necesita una terminal (/dev/tty) donde pedir la siguiente "
               "memoria: %1")
        .arg(error == ENXIO ? QStringLiteral("este proceso no tiene terminal")
                            : safe_io::reason(error));
}

bool TerminalPrompt::next(const QString& question) {
    // Enter pressed while the chip was being programmed answers nothing:
    // the operator is asked once the chip is done.
    ::tcflush(fd_, TCIFLUSH);
    const QByteArray text = (question + u' ').toUtf8();
    if (safe_io::writeFd(fd_, text, interrupted) != 0) return false;
    QByteArray answer;
    for (;;) {
        if (interrupted()) return endLine();
        pollfd wait{fd_, POLLIN, 0};
        const int ready = ::poll(&wait, 1, kPollMs);
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        char byte = 0;
        const ssize_t count = ::read(fd_, &byte, 1);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (count <= 0) return endLine();  // the terminal went away, or Ctrl+D
        if (byte == '\n') break;
        if (answer.size() < kLongestAnswer) answer += byte;
    }
    return answer.trimmed().toLower() != "q";
}

bool TerminalPrompt::endLine() {
    // What follows starts on a line of its own, not after the question.
    (void)safe_io::writeFd(fd_, QByteArrayLiteral("\n"), {});
    return false;
}

void TerminalPrompt::bell() {
    (void)safe_io::writeFd(fd_, QByteArrayLiteral("\a"), interrupted);
}

}  // namespace cli
