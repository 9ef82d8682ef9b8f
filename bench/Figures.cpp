#include "bench/Figures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

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
