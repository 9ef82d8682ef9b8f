#pragma once

#include <QString>
#include <optional>
#include <string>

// An advisory lock (flock) held while the object lives, so that two
// programs never send their bytes to one programmer or one emulated chip.
// The system drops it when the program ends, however it ends.
class ExclusiveLock {
  public:
    enum class State { Taken, Busy, Failed };

    ExclusiveLock() = default;
    ~ExclusiveLock();
    ExclusiveLock(ExclusiveLock&& other) noexcept;
    ExclusiveLock& operator=(ExclusiveLock&& other) noexcept;
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    // Without waiting, on a lock file made (open to every user) if missing.
    State take(const QString& path);
    // Without waiting, on a file the caller keeps open; it ends with it.
    static State takeOn(int fd);

    bool held() const { return fd_ >= 0; }
    // The error number of a lock that Failed.
    int error() const { return error_; }
    void release();

  private:
    int fd_ = -1;
    int error_ = 0;
};

// The program that holds a lock on a file, as the system lists its locks.
struct LockHolder {
    long long pid;
    QString name;
};
std::optional<LockHolder> lockHolderOf(const QString& path);
// Why the lock file at path can be no lock (a FIFO, a device, a link), or
// empty when it is a regular file or missing.
QString lockFileProblem(const QString& path);
std::optional<LockHolder> lockHolderOfFd(int fd);

// "El programador está en uso por otro programa (pid N, nombre)".
QString enUsoText(const std::optional<LockHolder>& holder);

// Why a lock file could not be opened, in Spanish.
QString lockFailureText(const QString& path, int error);

// Where the locks of programmers live: /run/lock, where every user may
// write, or /tmp where /run/lock is not open to every user.
QString defaultLockFolder();
// The lock file of the programmer at a device path, in a folder.
QString programmerLockPath(const QString& folder, const std::string& devicePath);
