// The command line on a bench of emulated, paced programmers: what a gang
// and a batch cost beyond the wire.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>

#include "bench/Figures.h"
#include "tests/support/Terminal.h"

namespace {
constexpr int kGang = 4;
constexpr int kBatchChips = 10;

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall milliseconds of one run; cpu gets its processor seconds.
double timedRun(const QStringList& arguments, double* cpu = nullptr) {
    QProcess cli;
    cli.setProgram(QStringLiteral(PROGRAMADOR_CLI));
    cli.setArguments(arguments);
    cli.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = childCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    cli.start();
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0)
        std::fprintf(stderr, "programador-cli failed: %s\n",
                     cli.readAllStandardError().constData());
    const double wall = double(clock.nsecsElapsed()) / 1e6;
    if (cpu) *cpu = childCpuSeconds() - cpuBefore;
    return wall;
}

QStringList emulated(const QString& folder, int programmers) {
    QStringList arguments;
    for (int i = 1; i <= programmers; ++i)
        arguments << QStringLiteral("--virtual=%1/gang%2.bin").arg(folder).arg(i);
    return arguments;
}
// A batch's time per chip over one run alone of the same chip.
double batchOverhead(const QStringList& program) {
    const double single = timedRun(program);
    QElapsedTimer clock;
    clock.start();
    Terminal batch(QStringLiteral(PROGRAMADOR_CLI), QStringList{"--lote"} + program);
    for (int chip = 1; chip <= kBatchChips; ++chip) {
        if (!batch.waitFor("(q para terminar)", 60000)) std::fprintf(stderr, "batch stalled\n");
        batch.type(chip < kBatchChips ? "\n" : "q\n");
    }
    batch.exitCode();
    return double(clock.nsecsElapsed()) / 1e6 / kBatchChips / single;
}
}  // namespace

void benchRuns(const QString& folder) {
    // 4096 addresses of a "Sram 28 Pines", paced: about 16 s of wire each.
    const QStringList read{"-q", "-t", "sram28", "--hasta", "0xFFF"};
    const QString dump = folder + QStringLiteral("/gang.bin");
    const double alone = timedRun(emulated(folder, 1) + read + QStringList{"leer", dump});
    double cpu = 0;
    const double gang =
        timedRun(emulated(folder, kGang) + read + QStringList{"--todos", "leer", dump}, &cpu);
    report("gang_4_ratio", gang / alone, "ratio");
    report("gang_cpu_share", 100.0 * cpu / (gang / 1e3) / kGang, "%");

    // Ten chips of 128 bytes, each answered at once at the terminal.
    QFile image(folder + QStringLiteral("/lote.bin"));
    image.open(QIODevice::WriteOnly);
    image.write(QByteArray(128, '\x5A'));
    image.close();
    const QStringList program{"--virtual", "-q",   "-t",        "sram24",
                              "--hasta",   "0x7F", "programar", image.fileName()};
    report("batch_overhead", batchOverhead(program), "ratio");
    // The same with every chip's row and number committed to a SQLite base.
    const QStringList based{"--base", folder + QStringLiteral("/lote.sqlite"), "--serie",
                            "0x70,2,1"};
    report("batch_overhead_base", batchOverhead(based + program), "ratio");
}
