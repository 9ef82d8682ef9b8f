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
#include <cstdio>
#include <functional>
#include <vector>

#include "app/SystemPlatform.h"
#include "bench/Figures.h"
#include "chip/DumpAnalysis.h"
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

    // "Convertir datos a ...": every cell of the largest memory, there and back.
    form.imagen.updateColumn(1, [](std::vector<QString>& texts) {
        for (std::size_t a = 0; a < texts.size(); ++a) texts[a] = QString::number(a % 256);
    });
    runs.clear();
    for (int i = 0; i < kRuns; ++i) {
        runs.push_back(elapsedMs([&] { form.ConvertirHexadecimal1->trigger(); }));
        form.ConvertirDecimal1->trigger();
    }
    report("convert_131072", median(runs), "ms");
}

// The dump analysis after a whole read of the largest memory.
void dumpAnalysis() {
    std::vector<std::uint8_t> bytes(kLargestRows);
    for (int a = 0; a < kLargestRows; ++a)
        bytes[a] = std::uint8_t((std::uint32_t(a) * 2654435761u) >> 24);
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) runs.push_back(elapsedMs([&] { chip::analyzeDump(bytes); }));
    report("analysis_131072_ms", median(runs), "ms");
}

// The window's peak is measured in a program of its own that links what
// programador links: this one also carries the command line's libraries.
void peakMemory() {
    QProcess scenario;
    scenario.start(QStringLiteral(PEAK_MEMORY), {});
    scenario.waitForFinished(-1);
    const QByteArray figure = scenario.readAllStandardOutput().trimmed();
    report("peak_rss", scenario.exitCode() == 0 ? figure.toDouble() : -1, "MB");
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
}  // namespace

// Every figure, or those whose group is named: memory, whole, progress, files,
// images, malas, switch, link, cli, hex, analysis (for a profiler run of one of them).
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList wanted = QCoreApplication::arguments().mid(1);
    const auto run = [&](const char* group) {
        return wanted.isEmpty() || wanted.contains(QLatin1String(group));
    };
    QTemporaryDir folder;
    if (run("memory")) peakMemory();
    if (run("whole")) wholeMemoryOperations();
    if (run("progress")) progressOverhead();
    if (run("files")) files(folder.path());
    if (run("images")) imageFormats(folder.path());
    if (run("malas")) mismatchCount();
    if (run("switch")) typeSwitch();
    if (run("bench")) benchRuns(folder.path());
    if (run("link")) linkRatio();
    if (run("cli")) commandLine(folder.path());
    if (run("fast")) fastProgramming();
    if (run("hex")) hexView();
    if (run("undo")) undoRead();
    if (run("line")) lineRecords(folder.path());
    if (run("analysis")) dumpAnalysis();
    if (run("socket")) socketCheck();
    if (run("identify")) identification(folder.path());
    return 0;
}
