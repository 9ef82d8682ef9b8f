#include "cli/Streams.h"

#include <QFileDevice>
#include <QIODevice>
#include <cerrno>

#include "cli/Interrupts.h"

namespace cli {

namespace {
// A standard stream: its descriptor when it has one, so that a wait on it
// can be interrupted and its errors have their reason.
int descriptorOf(QIODevice& device) {
    auto* file = qobject_cast<QFileDevice*>(&device);
    return file ? file->handle() : -1;
}
}  // namespace

bool interrupted() {
    return InterruptGuard::requested();
}

safe_io::Read readStream(QIODevice& in) {
    if (const int fd = descriptorOf(in); fd >= 0)
        return safe_io::readFd(fd, safe_io::kMaxInputBytes, interrupted);
    safe_io::Read read;
    read.bytes = in.read(safe_io::kMaxInputBytes + 1);
    if (read.bytes.size() > safe_io::kMaxInputBytes) read.end = safe_io::Read::End::TooLarge;
    return read;
}

int writeStream(QIODevice& out, bool closed, const QByteArray& bytes) {
    if (closed) return EBADF;
    if (const int fd = descriptorOf(out); fd >= 0) return safe_io::writeFd(fd, bytes, interrupted);
    return out.write(bytes) == bytes.size() ? 0 : EIO;
}

}  // namespace cli
