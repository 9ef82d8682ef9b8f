#include <pthread.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <csignal>

#include "cli/Cli.h"
#include "device/HidapiLibrary.h"
#include "device/HidapiProbe.h"

int main(int argc, char** argv) {
    // Before any thread exists, so that none takes Ctrl+C: the loops ask for it.
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);
    QCoreApplication application(argc, argv);
    QFile in;
    QFile out;
    QFile err;
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    cli::Streams streams{in, out, err, isatty(STDERR_FILENO) == 1};
    cli::Backends backends;
    backends.real = [](std::function<void(const QString&)> tell) {
        return std::make_unique<HidapiLibrary>(std::move(tell));
    };
    backends.probe = makeHidapiProbe;
    return cli::run(QCoreApplication::arguments(), streams, backends);
}
