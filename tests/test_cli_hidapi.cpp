#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <thread>

#include "cli/Cli.h"
#include "device/ExclusiveLock.h"
#include "device/HidapiLibrary.h"
#include "device/HidapiProbe.h"
#include "device/Link.h"
#include "device/ProgrammerList.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/StandInHidapi.h"

using Bytes = std::vector<std::uint8_t>;

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
using stand_in::bus;

namespace {
struct Result {
    int code;
    QByteArray out;
    QByteArray err;
};

// programador-cli as users run it on Linux, its hidapi backend over the
// stand-in bus with the programmer and a mouse on it.
struct StandInCli {
    StandInCli() {
        stand_in::resetBus();
        bus().add("/dev/hidraw0", 0x046D, 0xC077);
        stand_in::Device& programmer =
            bus().add("/dev/hidraw1", kProgrammerVendorId, kProgrammerProductId);
        for (std::uint32_t a = 0; a < 4; ++a)
            programmer.firmware.poke(Chip::Sram28, a, static_cast<std::uint8_t>(0xB0 + a));
    }

    Result run(const QStringList& arguments) {
        QBuffer in;
        QBuffer out;
        QBuffer err;
        in.open(QIODevice::ReadOnly);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        cli::Streams streams{in, out, err, false};
        cli::Backends backends;
        backends.platform = &platform;
        backends.real = [this](std::function<void(const QString&)> tell, const QString& path) {
            auto library = std::make_unique<HidapiLibrary>(std::move(tell), locks.path());
            library->setChosenPath(path.toStdString());
            return library;
        };
        backends.probe = makeHidapiProbe;
        backends.list = [this] { return findHidapiProgrammers(locks.path(), sys.path()); };
        const int code =
            cli::run(QStringList{QStringLiteral("programador-cli")} + arguments, streams, backends);
        return {code, out.data(), err.data()};
    }

    // Where sysfs places a node: under a USB port, as a hub's port does.
    void plugIntoPort(const QString& node, const QString& port) {
        const QString device = sys.filePath(QStringLiteral("devices/pci0000:00/usb1/1-1/%1/%1:1.0/"
                                                           "0003:1234:0001.0001")
                                                .arg(port));
        QVERIFY(QDir().mkpath(device));
        QVERIFY(QDir().mkpath(sys.filePath(QStringLiteral("class/hidraw/") + node)));
        QVERIFY(
            QFile::link(device, sys.filePath(QStringLiteral("class/hidraw/%1/device").arg(node))));
    }

    FakePlatform platform;
    QTemporaryDir locks;
    QTemporaryDir sys;
};
}  // namespace

class CliHidapiTest : public QObject {
    Q_OBJECT

  private slots:
    void theBytesGoThroughTheBackend() {
        StandInCli cli;
        const Result r = cli.run({"-q", "-t", "sram28", "--hasta", "3", "leer", "-"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("\xB0\xB1\xB2\xB3"));
        // The socket check reads its sample there and back, then the order reads.
        const Bytes forward{2, 0, 0, 2, 1, 0, 2, 2, 0, 2, 3, 0};
        const Bytes back{2, 3, 0, 2, 2, 0, 2, 1, 0, 2, 0, 0};
        QCOMPARE(bus().received, joined({{8, 8, 8}, forward, back, forward, {8, 8}}));
        stand_in::resetBus();
        StandInCli unchecked;
        QCOMPARE(unchecked.run({"-q", "--sin-zocalo", "-t", "sram28", "--hasta", "3", "leer", "-"})
                     .code,
                 0);
        QCOMPARE(bus().received, joined({{8, 8, 8}, forward, {8, 8}}));

        // Gone in the middle: no more of the operation goes out; exit 3.
        stand_in::resetBus();
        StandInCli broken;
        bus().unplugAtWrite = 4 + 3 * 2;
        const Result lost = broken.run({"-q", "-t", "sram28", "--hasta", "3", "leer", "-"});
        QCOMPARE(lost.code, 3);
        QVERIFY(lost.err.startsWith("Revise Conexion USB"));
        QCOMPARE(lost.out, QByteArray());
    }

    void aFailedReportIsTheLastByteSent() {
        // The third byte of the second read request does not go out: the
        // programmer's parser waits for it, so nothing else may follow, not
        // even the exit run, which it would take as that byte.
        // The same in the start run, and in the exit run of a read that
        // went well: exit 3 all the same, the next program must not take it
        // for a programmer in order.
        for (const int failing : {3 + 4 + 2, 3, 1, 3 + 4 * 3}) {
            StandInCli cli;
            bus().failWriteAt = failing;
            const Result r = cli.run({"-q", "-t", "sram28", "--hasta", "3", "leer", "-"});
            QCOMPARE(r.code, 3);
            QVERIFY(r.err.endsWith((kQuedoAMitad + u'\n').toUtf8()));
            QCOMPARE(bus().writes.size(), std::size_t(failing + 1));
        }
        // sondeo's own exchange, below the link: the link learns of it.
        StandInCli cli;
        const int exchange = 3 + 200 * 3 + 2 * 3;
        bus().failWriteAt = exchange + 1;
        const Result r = cli.run({"-t", "sram28", "sondeo"});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.endsWith((kQuedoAMitad + u'\n').toUtf8()));
        QCOMPARE(bus().writes.size(), std::size_t(exchange + 2));
    }

    void anotherProgramHoldsTheProgrammer() {
        StandInCli cli;
        QProcess holder;
        const QString lock = programmerLockPath(cli.locks.path(), "/dev/hidraw1");
        // -o: the lock stays with flock itself, not with the sleep it starts.
        holder.start(QStringLiteral("flock"),
                     {QStringLiteral("-o"), lock, QStringLiteral("sleep"), QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(lockHolderOf(lock).has_value());
        const Result r = cli.run({"-t", "sram28", "leer", "-"});
        QCOMPARE(r.code, 3);
        QCOMPARE(r.err,
                 QStringLiteral("El programador está en uso por otro programa (pid %1, flock)\n")
                     .arg(holder.processId())
                     .toUtf8());
        QVERIFY(bus().writes.empty());
        holder.kill();
        QVERIFY(holder.waitForFinished());
        // flock's child may hold the lock for a moment after flock dies, until it closes it.
        QTRY_VERIFY(!lockHolderOf(lock).has_value());
        QCOMPARE(cli.run({"-q", "-t", "sram28", "--hasta", "0", "leer", "-"}).code, 0);

        // A lock that cannot be taken is no lock: refused, nothing sent. A
        // link in its place is not followed, nor its target opened to all.
        QFile secret(cli.locks.filePath(QStringLiteral("secreto")));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QFile::remove(lock));
        QVERIFY(QFile::link(secret.fileName(), lock));
        bus().clearRecord();
        const Result linked = cli.run({"-t", "sram28", "leer", "-"});
        QCOMPARE(linked.code, 3);
        QVERIFY(linked.err.startsWith("No se puede tomar el bloqueo del programador"));
        QVERIFY(bus().writes.empty());
        QCOMPARE(secret.permissions() & (QFile::WriteOther | QFile::ReadOther),
                 QFile::Permissions());

        // A FIFO at the lock's path (any user can make one) holds nothing:
        // refused at once, nothing sent, and the list says so.
        QVERIFY(QFile::remove(lock));
        QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0666), 0);
        bus().clearRecord();
        const Result fifo = cli.run({"-t", "sram28", "leer", "-"});
        QCOMPARE(fifo.code, 3);
        QVERIFY(fifo.err.contains("no es un archivo normal"));
        QVERIFY(bus().writes.empty());
        QVERIFY(cli.run({"dispositivos"}).out.contains("sin bloqueo posible"));
    }

    void ctrlCSendsTheCancelRun() {
        StandInCli cli;
        QTimer::singleShot(0, [] { std::raise(SIGINT); });
        const Result r = cli.run({"-q", "-t", "sram28", "leer", "-"});
        QCOMPARE(r.code, 130);
        QCOMPARE(bus().received, (Bytes{8, 8, 8, 8, 8, 8, 8, 8, 8}));
    }

    void aProgrammerThatMayNotBeOpenedIsExplained() {
        StandInCli cli;
        bus().programmer().permitted = false;
        Result r = cli.run({"-t", "sram28", "leer", "-"});
        QCOMPARE(r.code, 3);
        QCOMPARE(r.err, (kSinPermiso + u'\n').toUtf8());
        r = cli.run({"sondeo"});
        QCOMPARE(r.code, 3);
        QVERIFY(r.out.contains("/dev/hidraw1: no se abre (sin permiso)"));
    }

    void sondeoTellsWhetherTwoRequestsAreAnswered() {
        QTemporaryDir folder;
        for (const bool buffers : {true, false}) {
            StandInCli cli;
            bus().buffersRequests = buffers;
            const QString report = folder.filePath(QStringLiteral("informe.txt"));
            const Result r = cli.run({"-t", "sram28", "--informe", report, "sondeo"});
            QCOMPARE(r.code, 0);
            QVERIFY(
                r.out.contains("Programadores USB 1234:0001 encontrados: 1\n"
                               "  /dev/hidraw1: se abre\n"));
            QVERIFY(r.out.contains("200 veces"));
            QCOMPARE(r.out.contains("responde a las dos, en orden"), buffers);
            QCOMPARE(r.out.contains("no responde a las dos"), !buffers);
            QFile written(report);
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), r.out);
        }

        // Gone in the middle of the round trips: what was found stays said,
        // in the report too, and the fault follows.
        StandInCli cli;
        bus().unplugAtWrite = 3 + 3 * 10;
        const QString report = folder.filePath(QStringLiteral("corto.txt"));
        const Result r = cli.run({"-t", "sram28", "--informe", report, "sondeo"});
        QCOMPARE(r.code, 3);
        QVERIFY(r.out.startsWith("Programadores USB 1234:0001 encontrados: 1\n"));
        QVERIFY(r.err.startsWith("Revise Conexion USB"));
        QFile written(report);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), r.out);
    }

    void aBenchChoosesAmongProgrammers() {
        StandInCli cli;
        bus().programmer().serial = L"PRG-A";
        stand_in::Device& second =
            bus().add("/dev/hidraw2", kProgrammerVendorId, kProgrammerProductId);
        second.serial = L"PRG-B";
        stand_in::Device& held =
            bus().add("/dev/hidraw3", kProgrammerVendorId, kProgrammerProductId);
        for (std::uint32_t a = 0; a < 4; ++a) second.firmware.poke(Chip::Sram28, a, 0xC0 + a);
        cli.plugIntoPort(QStringLiteral("hidraw1"), QStringLiteral("1-1.2"));
        cli.plugIntoPort(QStringLiteral("hidraw2"), QStringLiteral("1-1.3"));
        QProcess holder;
        holder.start(QStringLiteral("flock"),
                     {QStringLiteral("-o"), programmerLockPath(cli.locks.path(), "/dev/hidraw3"),
                      QStringLiteral("sleep"), QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(lockHolderOf(programmerLockPath(cli.locks.path(), "/dev/hidraw3")).has_value());

        const Result list = cli.run({"dispositivos"});
        QCOMPARE(list.code, 0);
        QCOMPARE(list.out,
                 QStringLiteral("3 programadores encontrados:\n"
                                "  /dev/hidraw1  puerto 1-1.2  serie PRG-A  se abre  libre\n"
                                "  /dev/hidraw2  puerto 1-1.3  serie PRG-B  se abre  libre\n"
                                "  /dev/hidraw3  puerto desconocido  sin número de serie  se abre  "
                                "en uso por otro programa (pid %1, flock)\n")
                     .arg(holder.processId())
                     .toUtf8());

        // Several and none chosen: refused with the list, nothing sent.
        Result r = cli.run({"-t", "sram28", "leer", "-"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith("Hay 3 programadores conectados: elija uno con -d"));
        QVERIFY(r.err.contains("serie PRG-B"));
        QVERIFY(bus().writes.empty());

        // By serial, by port, by node: only the chosen one gets bytes.
        for (const char* choice : {"PRG-B", "1-1.3", "/dev/hidraw2"}) {
            bus().clearRecord();
            second.received.clear();
            r = cli.run({"-q", "-t", "sram28", "--hasta", "3", "-d", choice, "leer", "-"});
            QCOMPARE(r.code, 0);
            QCOMPARE(r.out, QByteArray("\xC0\xC1\xC2\xC3"));
            QCOMPARE(second.received, bus().received);
        }
        QVERIFY(bus().programmer().received.empty());
        r = cli.run({"-t", "sram28", "-d", "/dev/hidraw3", "leer", "-"});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.startsWith("El programador está en uso por otro programa"));
        r = cli.run({"-t", "sram28", "-d", "PRG-Z", "leer", "-"});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.startsWith("No se encontró el programador PRG-Z"));

        // All at once, each in its thread: the free ones send exactly a
        // single run's bytes, the held one fails alone and gets none.
        const QString dump = cli.locks.filePath(QStringLiteral("volcado.bin"));
        bus().programmer().received.clear();
        second.received.clear();
        r = cli.run({"-q", "-t", "sram28", "--hasta", "3", "--todos", "leer", dump});
        QCOMPARE(r.code, 3);
        QVERIFY(r.err.contains("/dev/hidraw3: El programador está en uso por otro programa"));
        QVERIFY(r.err.endsWith("2 correctas, 1 fallida\n"));
        // The socket check's sample there and back, then the read.
        const Bytes forward{2, 0, 0, 2, 1, 0, 2, 2, 0, 2, 3, 0};
        const Bytes back{2, 3, 0, 2, 2, 0, 2, 1, 0, 2, 0, 0};
        const Bytes single = joined({{8, 8, 8}, forward, back, forward, {8, 8}});
        QCOMPARE(bus().programmer().received, single);
        QCOMPARE(second.received, single);
        QVERIFY(held.received.empty());
        QFile b(cli.locks.filePath(QStringLiteral("volcado-PRG-B.bin")));
        QVERIFY(b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), QByteArray("\xC0\xC1\xC2\xC3"));
        holder.kill();
        QVERIFY(holder.waitForFinished());
    }

    void aGangCancelsEveryProgrammerOnCtrlC() {
        StandInCli cli;
        bus().add("/dev/hidraw2", kProgrammerVendorId, kProgrammerProductId);
        bus().writeDelayUs = 100;
        // Ctrl+C a moment after the start, to the run's own thread (the
        // test's other threads do not hold it back as the program's do).
        const pthread_t run = pthread_self();
        std::thread operatorHand([run] {
            ::usleep(300'000);
            pthread_kill(run, SIGINT);
        });
        const QString record = cli.locks.filePath(QStringLiteral("registro.csv"));
        const Result r = cli.run({"-q", "-t", "sram28", "--todos", "--registro", record, "leer",
                                  cli.locks.filePath(QStringLiteral("nada.bin"))});
        operatorHand.join();
        QCOMPARE(r.code, 130);
        // Every programmer's line, though they all end at once.
        QFile lines(record);
        QVERIFY(lines.open(QIODevice::ReadOnly));
        QCOMPARE(lines.readAll().count(",interrumpido,"), 2);
        for (stand_in::Device& device : bus().devices) {
            if (device.vendorId != kProgrammerVendorId) continue;
            const Bytes& got = device.received;
            QVERIFY(got.size() > 3 + 6 * 3 && got.size() < 3 + 8192 * 3);
            // Its cancel run, then its exit run, as a run of one ends.
            QCOMPARE(Bytes(got.end() - 6, got.end()), (Bytes{8, 8, 8, 8, 8, 8}));
        }
        QVERIFY(r.err.contains("/dev/hidraw1: Interrumpido en la dirección"));
        QVERIFY(r.err.contains("/dev/hidraw2: Interrumpido en la dirección"));
    }
};

QTEST_MAIN(CliHidapiTest)
#include "test_cli_hidapi.moc"
