#pragma once

#include <QElapsedTimer>

#include "device/Platform.h"

// The real clock and sleeps, and no keyboard: what a program without a
// window has. The desktop program adds its ESC key to it.
class RealTimePlatform : public Platform {
  public:
    RealTimePlatform();

    void Sleep(int milliseconds) override;
    void waitUntil(std::int64_t nanoseconds) override;
    std::int64_t nowNs() const override;
    short GetKeyState(int) override { return 0; }
    void forgetKeyPresses() override {}
    void Terminate() override {}

  private:
    QElapsedTimer clock_;
};
