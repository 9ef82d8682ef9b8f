#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <csignal>

#include "cli/Cli.h"
#include "cli/Interrupts.h"
#include "device/HidapiLibrary.h"
#include "device/HidapiProbe.h"
#include "device/ProgrammerList.h"

namespace {
// A standard stream the shell closed gets /dev/null in its place, so that no
// file opened later takes its number and gets the output; the run still
// knows it was closed.
bool reopenIfClosed(int fd, int mode) {
    if (::fcntl(fd, F_GETFD) != -1) return false;
    const int null = ::open("/dev/null", mode);
    if (null >= 0 && null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    cli::holdInterruptsInEveryThread();
    // A reader that goes away or a file size limit is a write that fails,
    // told and given its exit code, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    const bool inClosed = reopenIfClosed(STDIN_FILENO, O_RDONLY);
    const bool outClosed = reopenIfClosed(STDOUT_FILENO, O_WRONLY);
    reopenIfClosed(STDERR_FILENO, O_WRONLY);

    QCoreApplication application(argc, argv);
    QFile in;
    QFile out;
    QFile err;
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    cli::Streams streams{in, out, err, isatty(STDERR_FILENO) == 1};
    streams.inIsTerminal = isatty(STDIN_FILENO) == 1;
    streams.outIsTerminal = isatty(STDOUT_FILENO) == 1;
    streams.inClosed = inClosed;
    streams.outClosed = outClosed;
    cli::Backends backends;
    backends.real = [](std::function<void(const QString&)> tell, const QString& path) {
        auto library = std::make_unique<HidapiLibrary>(std::move(tell));
        library->setChosenPath(path.toStdString());
        return library;
    };
    backends.probe = makeHidapiProbe;
    backends.list = [] { return findHidapiProgrammers(defaultLockFolder()); };
    return cli::run(QCoreApplication::arguments(), streams, backends);
}
