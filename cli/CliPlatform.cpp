#include "cli/CliPlatform.h"

#include <QThread>

CliPlatform::CliPlatform() {
    clock_.start();
}

void CliPlatform::Sleep(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void CliPlatform::waitUntil(std::int64_t nanoseconds) {
    const std::int64_t remaining = nanoseconds - nowNs();
    if (remaining > 0) QThread::usleep(static_cast<unsigned long>(remaining / 1000));
}

std::int64_t CliPlatform::nowNs() const {
    return clock_.nsecsElapsed();
}
