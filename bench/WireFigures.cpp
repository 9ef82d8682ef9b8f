// Figures of the wire: what the command line adds to it, and what fast
// programming spares of it.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/SystemPlatform.h"
#include "bench/Figures.h"
#include "image/ImageFormats.h"
#include "tests/support/Rig.h"

namespace {
constexpr int kRuns = 7;
constexpr int kLongRuns = 3;
constexpr int kLargestRows = 131072;

// A chip programmed from an image with "PROGRAMAR TODO", verified, fast or
// in full, and the wire time it took: reports x 1 ms plus the pauses.
struct Wire {
    double reports = 0;
    double pauseMs = 0;
    double ms() const { return reports + pauseMs; }
};

Wire programmedWire(Programa& programa, VirtualProgrammer& programmer, Platform& platform,
                    std::uint8_t tipo, const std::vector<int>& image, bool fast,
                    const std::function<void()>& chipBefore, bool check = false) {
    Tform1& f = *programa.form1;
    f.tipoItems[tipo]->trigger();
    if (f.ProgramacionRapida1->isChecked() != fast) f.ProgramacionRapida1->trigger();
    if (f.ComprobarAntes1->isChecked() != check) f.ComprobarAntes1->trigger();
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

}  // namespace

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
    // Fast, with the PROM read first: what the check costs on a blank chip.
    double checked[2] = {};
    for (const bool check : {false, true}) {
        Rig rig;
        rig.ready();
        checked[check] = programmedWire(
                             *rig.programa, rig.programmer, rig.platform, 3, prom, check,
                             [&] { rig.programmer.firmware().insert(Chip::Prom27c512); }, check)
                             .ms();
    }
    report("check_then_program_prom_ratio", checked[1] / checked[0], "ratio");

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
    // info on a whole 27c010 image in Intel HEX: read, mapped, summed.
    image::Bytes bytes(kLargestRows);
    for (int a = 0; a < kLargestRows; ++a) bytes[a] = static_cast<std::uint8_t>((a * 13) & 0xFF);
    QFile hex(folder + QStringLiteral("/cli.hex"));
    hex.open(QIODevice::WriteOnly);
    hex.write(image::writeIntelHex(bytes));
    hex.close();
    std::vector<double> infos;
    for (int i = 0; i < kRuns; ++i)
        infos.push_back(cliProcessMs({"-t", "27c010", "info", hex.fileName()}));
    report("cli_read_all_27c010", median(reads), "us");
    report("cli_program_all_verify_27c010", median(programs), "us");
    report("cli_start_ms", median(starts), "ms");
    report("cli_info_131072", median(infos), "ms");
}
