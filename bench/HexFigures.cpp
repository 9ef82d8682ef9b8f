// The hex view on a whole "Prom 27c010" image: opening its window, and a
// search that finds nothing.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/HexView.h"
#include "bench/Figures.h"
#include "tests/support/Rig.h"
#include "view/HexTable.h"

namespace {
constexpr int kRuns = 7;
constexpr int kAddresses = 131072;
constexpr std::uint8_t kProm27c010 = 4;

std::unique_ptr<Rig> fullLargestProm() {
    auto rig = std::make_unique<Rig>();
    rig->programmer.setRecording(false);
    rig->ready().memoryType(kProm27c010);
    rig->form().imagen.updateColumn(1, [](std::vector<QString>& texts) {
        for (int a = 0; a < kAddresses; ++a) texts[a] = QString::number((a * 13) & 0xFF);
    });
    rig->form().show();
    QCoreApplication::processEvents();
    return rig;
}
}  // namespace

void hexView() {
    std::vector<double> opens;
    for (int i = 0; i < kRuns; ++i) {
        auto rig = fullLargestProm();
        // Made, shown and painted.
        opens.push_back(elapsedMs([&] {
            rig->form().VistaHexadecimal1->trigger();
            QCoreApplication::processEvents();
        }));
    }
    report("hexview_open_131072", median(opens), "ms");

    auto rig = fullLargestProm();
    rig->form().VistaHexadecimal1->trigger();
    HexView& view = *rig->form().vistaHexadecimal();
    // Consecutive bytes differ by 13: 01 02 never follow each other.
    view.buscar->setText(QStringLiteral("01 02 03 04"));
    std::vector<double> warm, cold;
    for (int i = 0; i < kRuns; ++i) {
        view.tabla->moveTo(0, false);
        warm.push_back(elapsedMs([&] { view.find(true); }));
        // Every text rewritten: the next search reads the whole image again.
        rig->form().imagen.updateColumn(1, [i](std::vector<QString>& texts) {
            for (int a = 0; a < kAddresses; ++a) texts[a] = QString::number((a * 13 + i) & 0xFF);
        });
        view.tabla->moveTo(0, false);
        cold.push_back(elapsedMs([&] { view.find(true); }));
    }
    if (view.estado->text() != kNoSeEncontro) std::fprintf(stderr, "the pattern was found\n");
    report("hexview_find_131072", median(warm), "ms");
    report("hexview_find_after_rewrite_131072", median(cold), "ms");
}

void undoRead() {
    // A whole-chip read over a full image, then undone: every text back.
    std::vector<double> undos;
    for (int i = 0; i < kRuns; ++i) {
        auto rig = fullLargestProm();
        rig->click(rig->form().BitBtn2);
        undos.push_back(elapsedMs([&] {
            rig->form().Deshacer1->trigger();
            QCoreApplication::processEvents();
        }));
        if (rig->cell(2) != QStringLiteral("13")) std::fprintf(stderr, "the read was not undone\n");
    }
    report("undo_read_131072", median(undos), "ms");
}
