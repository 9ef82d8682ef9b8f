#pragma once

#include <QBuffer>
#include <QFile>
#include <QTest>

#include "cli/Cli.h"
#include "device/VirtualProgrammer.h"
#include "tests/support/FakePlatform.h"

using Bytes = std::vector<std::uint8_t>;

struct Result {
    int code;
    QByteArray out;
    QByteArray err;
};

// The command line in this process, on an emulated programmer and virtual
// time; the real backend finds no programmer.
struct CliRig {
    FakePlatform platform;
    VirtualProgrammer programmer{platform};
    bool terminal = false;
    bool outputTerminal = false;
    QByteArray input;

    Result run(const QStringList& arguments) {
        QBuffer in(&input);
        QBuffer out;
        QBuffer err;
        in.open(QIODevice::ReadOnly);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        cli::Streams streams{in, out, err, terminal};
        streams.outIsTerminal = outputTerminal;
        cli::Backends backends;
        backends.platform = &platform;
        backends.emulated = &programmer;
        backends.real = [this](std::function<void(const QString&)>, const QString&) {
            return std::make_unique<VirtualProgrammer>(platform, false);
        };
        programmer.clearRecord();
        const int code =
            cli::run(QStringList{QStringLiteral("programador-cli")} + arguments, streams, backends);
        return {code, out.data(), err.data()};
    }
    Result emulated(const QStringList& arguments) {
        return run(QStringList{QStringLiteral("--virtual")} + arguments);
    }
    Bytes sent() const { return programmer.sentBytes(); }
    // What went out between the start run and the exit run.
    Bytes operation() const {
        const Bytes all = sent();
        if (all.size() < 5) return {};
        return Bytes(all.begin() + 3, all.end() - 2);
    }
};

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
