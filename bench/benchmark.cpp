// Figures of the program's own cost, over the real code paths: the main
// window on the virtual programmer, offscreen. One "name: value unit" line each.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/SystemPlatform.h"
#include "files/GridBytes.h"
#include "operations/ProgressLine.h"
#include "tests/support/Rig.h"
#include "view/Unit2.h"

namespace {
constexpr int kRuns = 7;
constexpr int kLongRuns = 3;
constexpr std::uint8_t kProm27c010 = 4;
constexpr std::uint8_t kSram24 = 0;
constexpr int kLargestRows = 131072;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void report(const char* name, double value, const char* unit) {
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

double elapsedMs(const std::function<void()>& step) {
    QElapsedTimer clock;
    clock.start();
    step();
    QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

// A shown main window on the virtual programmer, with "Prom 27c010" selected.
// The programmer keeps no record of the reports, as in programador-virtual:
// the figures are the program's, not the test instrument's.
std::unique_ptr<Rig> largestProm() {
    auto rig = std::make_unique<Rig>();
    rig->programmer.setRecording(false);
    rig->ready().memoryType(kProm27c010);
    rig->form().show();
    QCoreApplication::processEvents();
    return rig;
}

void fillImage(Rig& rig) {
    rig.form().imagen.updateColumn(1, [](std::vector<QString>& texts) {
        for (int a = 0; a < kLargestRows; ++a) texts[a] = QString::number((a * 13) & 0xFF);
    });
}

// Median microseconds per address of a whole-memory operation of "Prom 27c010".
double perAddressUs(const std::function<void(Rig&)>& prepare, QPushButton* Tform1::*button) {
    std::vector<double> runs;
    for (int i = 0; i < kLongRuns; ++i) {
        auto rig = largestProm();
        prepare(*rig);
        runs.push_back(elapsedMs([&] { rig->click(rig->form().*button); }) * 1e3 / kLargestRows);
    }
    return median(runs);
}

void wholeMemoryOperations() {
    report("read_all_27c010", perAddressUs([](Rig&) {}, &Tform1::BitBtn2), "us");
    report("program_all_verify_27c010", perAddressUs(fillImage, &Tform1::BitBtn1), "us");
    report("fill_verify_27c010",
           perAddressUs([](Rig& rig) { rig.form().Edit3->setText("7"); }, &Tform1::BitBtn9), "us");
}

// "LEER TODO" of "Prom 27c010" on real time, the progress line shown against
// hidden: what repainting it costs.
void progressOverhead() {
    QElapsedTimer realTime;
    realTime.start();
    std::vector<double> shown, hidden;
    for (int i = 0; i < kLongRuns; ++i) {
        for (bool visible : {true, false}) {
            auto rig = largestProm();
            rig->platform.clock = [&realTime] { return realTime.nsecsElapsed(); };
            rig->form().progreso->setVisible(visible);
            (visible ? shown : hidden).push_back(elapsedMs([&] {
                rig->click(rig->form().BitBtn2);
            }));
        }
    }
    report("progress_overhead", median(shown) / median(hidden), "ratio");
}

void files(const QString& folder) {
    auto rig = largestProm();
    fillImage(*rig);
    const QString path = folder + "/bench.mem";
    std::vector<double> saves, opens, compares;
    for (int i = 0; i < kRuns; ++i) {
        QFile::remove(path);
        saves.push_back(elapsedMs([&] {
            rig->dialogs.fileAnswers.push_back(path);
            rig->form().Guardar1->trigger();
        }));
        opens.push_back(elapsedMs([&] {
            rig->dialogs.fileAnswers.push_back(path);
            rig->form().Abrir1->trigger();
        }));
        compares.push_back(elapsedMs([&] {
            rig->dialogs.fileAnswers.push_back(path);
            rig->click(rig->form().BitBtn3);
        }));
        rig->programa->Form2->hide();
    }
    report("open_131072", median(opens), "ms");
    report("save_131072", median(saves), "ms");
    report("compare_131072", median(compares), "ms");
}

// "Importar..." and "Exportar..." of a whole "Prom 27c010" image through the
// menu (file, format and grid), and both checksums of its bytes.
void imageFormats(const QString& folder) {
    auto rig = largestProm();
    fillImage(*rig);
    const std::pair<const char*, const char*> formats[] = {
        {"bin", "bench.bin"}, {"ihex", "bench.hex"}, {"srec", "bench.s28"}};
    for (const auto& [name, file] : formats) {
        const QString path = folder + "/" + file;
        std::vector<double> exports, imports;
        for (int i = 0; i < kRuns; ++i) {
            exports.push_back(elapsedMs([&] {
                rig->dialogs.fileAnswers.push_back(path);
                rig->form().Exportar1->trigger();
            }));
            imports.push_back(elapsedMs([&] {
                rig->dialogs.fileAnswers.push_back(path);
                rig->form().Importar1->trigger();
            }));
        }
        report(qPrintable(QStringLiteral("import_%1_131072").arg(name)), median(imports), "ms");
        report(qPrintable(QStringLiteral("export_%1_131072").arg(name)), median(exports), "ms");
    }
    const GridBytes image =
        gridBytes(rig->form().imagen.column(1), kLargestRows, rig->form().formato);
    std::vector<double> runs;
    std::uint32_t keep = 0;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(
            elapsedMs([&] { keep += image::sum16(image.bytes) + image::crc32(image.bytes); }));
    report("checksum_131072", median(runs), "ms");
    if (keep == 1) std::printf("\n");  // the sums are used
}

void mismatchCount() {
    auto rig = largestProm();
    TForm2& window = *rig->programa->Form2;
    window.show();
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        window.grid.updateColumn(
            1, [](std::vector<QString>& texts) { std::fill(texts.begin(), texts.end(), "1"); });
        window.grid.updateColumn(
            2, [](std::vector<QString>& texts) { std::fill(texts.begin(), texts.end(), "2"); });
        runs.push_back(elapsedMs([&] { window.malas(); }));
    }
    report("malas_131072", median(runs), "ms");
}

void typeSwitch() {
    auto rig = std::make_unique<Rig>();
    rig->ready();
    Tform1& form = rig->form();
    form.show();
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        form.tipoItems[1]->trigger();
        QCoreApplication::processEvents();
        runs.push_back(elapsedMs([&] { form.tipoItems[kProm27c010]->trigger(); }));
    }
    report("type_switch_27c010", median(runs), "ms");
}

double peakResidentMb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

void peakMemory(const QString& folder) {
    auto rig = largestProm();
    fillImage(*rig);
    const QString path = folder + "/peak.mem";
    rig->dialogs.fileAnswers.push_back(path);
    rig->form().Guardar1->trigger();
    rig->form().BitBtn11->click();
    rig->dialogs.fileAnswers.push_back(path);
    rig->form().Abrir1->trigger();
    rig->form().Edit3->setText("07");
    rig->click(rig->form().BitBtn9);  // every address differs: the full mismatch window
    QCoreApplication::processEvents();
    report("peak_rss", peakResidentMb(), "MB");
}

// Real time on a link that carries one report per 1 ms frame: the program
// should add next to nothing to the wire time.
void linkRatio() {
    SystemPlatform clock;
    std::vector<double> runs;
    for (int i = 0; i < kLongRuns; ++i) {
        RecordingDialogs dialogs;
        VirtualProgrammer programmer(clock);
        Programa programa(clock, dialogs, programmer);
        QCoreApplication::processEvents();
        programa.form1->Timer1Timer();
        programa.form1->tipoItems[kSram24]->trigger();
        programa.form1->show();
        programmer.setFullSpeedFrames(true);
        programmer.clearRecord();
        const double ms = elapsedMs([&] { programa.form1->BitBtn2->click(); });
        runs.push_back(ms / static_cast<double>(programmer.record().size()));
    }
    report("link_ratio", median(runs), "ratio");
}
// A chip programmed from an image with "PROGRAMAR TODO", verified, fast or
// in full, and the wire time it took: reports x 1 ms plus the pauses.
struct Wire {
    double reports = 0;
    double pauseMs = 0;
    double ms() const { return reports + pauseMs; }
};

Wire programmedWire(Programa& programa, VirtualProgrammer& programmer, Platform& platform,
                    std::uint8_t tipo, const std::vector<int>& image, bool fast,
                    const std::function<void()>& chipBefore) {
    Tform1& f = *programa.form1;
    f.tipoItems[tipo]->trigger();
    if (f.ProgramacionRapida1->isChecked() != fast) f.ProgramacionRapida1->trigger();
    f.imagen.updateColumn(1, [&](std::vector<QString>& texts) {
        for (std::size_t a = 0; a < image.size(); ++a) texts[a] = QString::number(image[a]);
    });
    f.PLOT1->setText(QStringLiteral("0"));
    f.PLOT2->setText(QString::number(image.size() - 1));
    chipBefore();
    programmer.clearRecord();
    auto* fake = dynamic_cast<FakePlatform*>(&platform);
    if (fake) fake->sleeps.clear();
    f.BitBtn5->click();
    Wire wire;
    wire.reports = static_cast<double>(programmer.record().size());
    if (fake)
        for (const FakePlatform::Pause& pause : fake->sleeps) wire.pauseMs += pause.milliseconds;
    return wire;
}

// A 27c512 image with a quarter of data and the rest FF, and a 28c64 that
// differs from its image in 1 % of the bytes.
std::vector<int> promImage(std::size_t size) {
    std::vector<int> image(size, 0xFF);
    for (std::size_t a = 0; a < size; ++a)
        if ((a * 2654435761u >> 7) % 4 == 0) image[a] = static_cast<int>((a * 7) & 0x7F);
    return image;
}

std::vector<int> eepromImage(std::size_t size) {
    std::vector<int> image(size);
    for (std::size_t a = 0; a < size; ++a) image[a] = static_cast<int>((a * 11) & 0xFF);
    return image;
}

bool eepromDiffersAt(std::size_t address) {
    return address % 100 == 37;
}

void pokeEeprom(Firmware& firmware, const std::vector<int>& image) {
    firmware.insert(Chip::Eprom28c64);
    for (std::size_t a = 0; a < image.size(); ++a) {
        const bool differs = eepromDiffersAt(a);
        firmware.poke(Chip::Eprom28c64, static_cast<std::uint32_t>(a),
                      static_cast<std::uint8_t>(image[a] ^ (differs ? 0x10 : 0)));
    }
}

// Fast against full on counted wire time, and the count against real time.
void fastProgramming() {
    const auto ratio = [](std::uint8_t tipo, const std::vector<int>& image,
                          const std::function<void(Firmware&)>& chip) {
        double wire[2] = {};
        for (const bool fast : {false, true}) {
            Rig rig;
            rig.ready();
            wire[fast] =
                programmedWire(*rig.programa, rig.programmer, rig.platform, tipo, image, fast, [&] {
                    chip(rig.programmer.firmware());
                }).ms();
        }
        return wire[1] / wire[0];
    };
    const std::vector<int> prom = promImage(65536);
    const std::vector<int> eeprom = eepromImage(8192);
    report("fast_program_prom_ratio", ratio(3, prom, [](Firmware&) {}), "ratio");
    report("fast_program_eeprom_ratio",
           ratio(2, eeprom, [&](Firmware& f) { pokeEeprom(f, eeprom); }), "ratio");

    // 1024 addresses of each on the paced link, in real time.
    double worst = 0;
    for (const std::uint8_t tipo : {std::uint8_t{3}, std::uint8_t{2}}) {
        SystemPlatform clock;
        RecordingDialogs dialogs;
        VirtualProgrammer programmer(clock);
        Programa programa(clock, dialogs, programmer);
        QCoreApplication::processEvents();
        programa.form1->Timer1Timer();
        programa.form1->show();
        programmer.setFullSpeedFrames(true);
        const std::vector<int> image = tipo == 3 ? promImage(1024) : eepromImage(1024);
        std::size_t eepromPauses = 0;
        for (std::size_t a = 0; a < image.size(); ++a) eepromPauses += eepromDiffersAt(a);
        double measured = 0;
        const Wire wire = programmedWire(programa, programmer, clock, tipo, image, true, [&] {
            if (tipo == 2) pokeEeprom(programmer.firmware(), image);
            measured = -double(clock.nowNs()) / 1e6;
        });
        measured += double(clock.nowNs()) / 1e6;
        const double modelled = wire.reports + (tipo == 2 ? eepromPauses * 14.0 : 0);
        worst = std::max(worst, std::abs(measured / modelled - 1));
    }
    report("fast_model_error", worst, "ratio");
}

// Milliseconds of a whole programador-cli process, from its start to its end.
double cliProcessMs(const QStringList& arguments) {
    QProcess cli;
    cli.setProgram(QStringLiteral(PROGRAMADOR_CLI));
    cli.setArguments(arguments);
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    cli.start();
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0) {
        std::fprintf(stderr, "programador-cli failed: %s\n",
                     cli.readAllStandardError().constData());
        return -1;
    }
    return clock.nsecsElapsed() / 1e6;
}

// The command line on the emulation without pacing: what the host adds per
// address to the wire's time, the whole process included.
void commandLine(const QString& folder) {
    const QString image = folder + QStringLiteral("/cli.bin");
    QFile file(image);
    file.open(QIODevice::WriteOnly);
    for (int a = 0; a < kLargestRows; ++a) file.putChar(static_cast<char>((a * 13) & 0xFF));
    file.close();
    const QStringList emulated{"--virtual", "--sin-pausa", "-q", "-t", "27c010"};
    std::vector<double> reads;
    std::vector<double> programs;
    std::vector<double> starts;
    for (int i = 0; i < kLongRuns; ++i) {
        reads.push_back(cliProcessMs(emulated + QStringList{"leer", "-"}) * 1e3 / kLargestRows);
        programs.push_back(cliProcessMs(emulated + QStringList{"programar", image}) * 1e3 /
                           kLargestRows);
    }
    // A one-address read: its whole run bounds the time from exec to the first report.
    for (int i = 0; i < kRuns; ++i)
        starts.push_back(cliProcessMs(emulated + QStringList{"--hasta", "0", "leer", "-"}));
    report("cli_read_all_27c010", median(reads), "us");
    report("cli_program_all_verify_27c010", median(programs), "us");
    report("cli_start_ms", median(starts), "ms");
}
}  // namespace

// Every figure, or those whose group is named: memory, whole, progress, files,
// images, malas, switch, link, cli (for a profiler run of one of them).
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList wanted = QCoreApplication::arguments().mid(1);
    const auto run = [&](const char* group) {
        return wanted.isEmpty() || wanted.contains(QLatin1String(group));
    };
    QTemporaryDir folder;
    // First, so that the peak is this scenario's and no earlier one's.
    if (run("memory")) peakMemory(folder.path());
    if (run("whole")) wholeMemoryOperations();
    if (run("progress")) progressOverhead();
    if (run("files")) files(folder.path());
    if (run("images")) imageFormats(folder.path());
    if (run("malas")) mismatchCount();
    if (run("switch")) typeSwitch();
    if (run("link")) linkRatio();
    if (run("cli")) commandLine(folder.path());
    if (run("fast")) fastProgramming();
    return 0;
}
