#include "device/RealTimePlatform.h"

#include <QThread>

RealTimePlatform::RealTimePlatform() {
    clock_.start();
}

void RealTimePlatform::Sleep(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void RealTimePlatform::waitUntil(std::int64_t nanoseconds) {
    const std::int64_t remaining = nanoseconds - nowNs();
    if (remaining > 0) QThread::usleep(static_cast<unsigned long>(remaining / 1000));
}

std::int64_t RealTimePlatform::nowNs() const {
    return clock_.nsecsElapsed();
}
