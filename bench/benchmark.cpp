// Figures of the program's own cost, over the real code paths: the main
// window on the virtual programmer, offscreen. One "name: value unit" line each.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "tests/support/Rig.h"

namespace {
constexpr int kRuns = 7;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median milliseconds of a step, each run prepared afresh.
double medianMs(const std::function<void()>& prepare, const std::function<void()>& step) {
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        QElapsedTimer clock;
        clock.start();
        step();
        QCoreApplication::processEvents();
        runs.push_back(clock.nsecsElapsed() / 1e6);
    }
    return median(runs);
}

void report(const char* name, double value, const char* unit) {
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

void typeSwitch() {
    Rig rig;
    rig.ready();
    Tform1& form = rig.form();
    form.show();
    QCoreApplication::processEvents();
    report("type_switch_27c010",
           medianMs([&] { form.tipoItems[1]->trigger(); QCoreApplication::processEvents(); },
                    [&] { form.tipoItems[4]->trigger(); }),
           "ms");
}
// Median microseconds per address of a whole-memory operation of "Prom 27c010".
double perAddressUs(const std::function<void(Rig&)>& prepare, QPushButton* Tform1::*button) {
    std::vector<double> runs;
    for (int i = 0; i < 3; ++i) {
        Rig rig;
        rig.ready().memoryType(4);
        rig.form().show();
        prepare(rig);
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        rig.click(rig.form().*button);
        runs.push_back(clock.nsecsElapsed() / 1e3 / 131072);
    }
    return median(runs);
}

void readAll() {
    report("read_all_27c010", perAddressUs([](Rig&) {}, &Tform1::BitBtn2), "us");
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    typeSwitch();
    readAll();
    return 0;
}
