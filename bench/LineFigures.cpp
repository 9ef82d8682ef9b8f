// The record and the serial numbers of a line: one chip recorded with the
// durable defaults, on SQLite and on a PostgreSQL server started here, and
// eight benches taking numbers from that server at once.
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <memory>

#include "bench/Figures.h"
#include "cli/LineDatabase.h"
#include "tests/support/PostgresServer.h"

namespace {
constexpr int kChips = 50;
constexpr int kBenches = 8;
constexpr int kNumbersEach = 40;

// A chip's row committed with its number's end, in one durable transaction
// (its reservation and its burning mark are apart, before the chip).
double recordMs(const QString& destination) {
    cli::LineDatabase base;
    engine::SerialLayout layout;
    layout.bytes = 2;
    layout.start = 1;
    if (base.open(destination, QStringLiteral("banco"), layout, [](const QString&) {})) return -1;
    cli::RecordEntry entry;
    entry.resultado = QStringLiteral("correcto");
    std::vector<double> times;
    for (int chip = 0; chip < kChips; ++chip) {
        std::vector<std::optional<std::uint64_t>> numbers;
        (void)base.take(1, numbers);
        (void)base.burning(*numbers.front());
        entry.serie = QString::number(*numbers.front());
        times.push_back(elapsedMs([&] { (void)base.commit(entry, numbers.front(), true); }));
    }
    return median(times);
}
}  // namespace

void lineRecords(const QString& folder) {
    report("record_sqlite_ms", recordMs(folder + QStringLiteral("/figuras.sqlite")), "ms");
    PostgresServer server;
    if (!server.ready()) return;
    report("record_postgresql_ms", recordMs(server.uri()), "ms");
    // Eight processes taking numbers at once, each through its own session.
    const QString program = QStringLiteral(
        "for i in $(seq %1); do %2 --virtual --sin-pausa -q -t sram24 --hasta 0x1F --serie "
        "0x10,2,1 --base '%3' --secuencia ocho programar %4/ocho.bin || exit 1; done");
    QFile image(folder + QStringLiteral("/ocho.bin"));
    image.open(QIODevice::WriteOnly);
    image.write(QByteArray(32, '\0'));
    image.close();
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QProcess>> benches;
    for (int bench = 0; bench < kBenches; ++bench) {
        benches.push_back(std::make_unique<QProcess>());
        benches.back()->start(QStringLiteral("sh"),
                              {QStringLiteral("-c"), program.arg(kNumbersEach)
                                                         .arg(QStringLiteral(PROGRAMADOR_CLI),
                                                              server.uri(), folder)});
    }
    for (auto& bench : benches) bench->waitForFinished(-1);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const QStringList numbers =
        server.query("SELECT numero FROM numeros_serie WHERE secuencia = 'ocho'").split(u'\n');
    const bool unique = QSet<QString>(numbers.begin(), numbers.end()).size() == numbers.size() &&
                        numbers.size() == kBenches * kNumbersEach;
    report("serial_8_benches", unique ? numbers.size() / seconds : -1, "numbers/s");
}
