#pragma once

#include <QElapsedTimer>

#include "device/Platform.h"

// The system services for the command line: real time and sleeps. There is
// no ESC key; Ctrl+C cancels instead.
class CliPlatform : public Platform {
  public:
    CliPlatform();

    void Sleep(int milliseconds) override;
    void waitUntil(std::int64_t nanoseconds) override;
    std::int64_t nowNs() const override;
    short GetKeyState(int) override { return 0; }
    void forgetKeyPresses() override {}
    void Terminate() override {}

  private:
    QElapsedTimer clock_;
};
