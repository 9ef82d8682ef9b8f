#include <unistd.h>

#include <QCoreApplication>
#include <QFile>

#include "cli/Cli.h"
#include "cli/Interrupts.h"
#include "device/HidapiLibrary.h"
#include "device/HidapiProbe.h"

int main(int argc, char** argv) {
    cli::holdInterruptsInEveryThread();
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
