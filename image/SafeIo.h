#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Reading and writing files so that nothing is lost and nothing hangs: a
// reader stops at a bound and can be cancelled while it waits, a regular
// file is replaced only once all of it is written, a device or a FIFO is
// written in place and never replaced, and every failure has its reason.
namespace safe_io {

// No image of any memory, in any format, comes near this.
constexpr qint64 kMaxInputBytes = 64LL * 1024 * 1024;

// Asked while a read or a write waits; true ends it.
using Cancelled = std::function<bool()>;

// The system's reason for an error number, in Spanish.
QString reason(int error);

struct Read {
    enum class End { Complete, TooLarge, Cancelled, Failed };
    End end = End::Complete;
    int error = 0;  // with Failed
    QByteArray bytes;
};

// Reads to the end, or to more than limit bytes. Regular files, pipes,
// FIFOs (waiting for a writer) and devices alike; a folder fails with EISDIR.
Read readPath(const QString& path, qint64 limit, const Cancelled& cancelled = {});
// The same from a descriptor that stays open and keeps its flags.
Read readFd(int fd, qint64 limit, const Cancelled& cancelled = {});

// 0, or the error number; ECANCELED when cancelled while waiting.
int writePath(const QString& path, const QByteArray& bytes, const Cancelled& cancelled = {});
int writeFd(int fd, const QByteArray& bytes, const Cancelled& cancelled = {});

// Which file a path or a descriptor is, to tell two names of one file apart.
struct Identity {
    dev_t device;
    ino_t inode;
    bool regular;
    bool operator==(const Identity& other) const {
        return device == other.device && inode == other.inode;
    }
};
std::optional<Identity> identityOf(const QString& path);
std::optional<Identity> identityOfFd(int fd);

// Whether a file may be written at path, checked before any work is done:
// 0, or the error number (ENOENT: the folder does not exist; EISDIR).
int checkWritable(const QString& path);

}  // namespace safe_io
