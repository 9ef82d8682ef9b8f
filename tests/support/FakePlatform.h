#pragma once

#include <functional>
#include <vector>

#include "device/Platform.h"

// Virtual time: sleeps advance the clock at once and are recorded; ESC is held
// whenever the test's rule says so.
class FakePlatform : public Platform {
  public:
    struct Pause {
        std::int64_t atNs;
        int milliseconds;
    };

    void Sleep(int milliseconds) override {
        sleeps.push_back({now, milliseconds});
        if (sleepsTakeTime) now += std::int64_t{milliseconds} * 1'000'000;
    }
    void waitUntil(std::int64_t nanoseconds) override {
        if (nanoseconds > now) now = nanoseconds;
    }
    std::int64_t nowNs() const override { return clock ? clock() : now; }
    short GetKeyState(int virtualKey) override {
        ++keyQueries;
        if (virtualKey != kVkEscape) return 0;
        return escapeHeld && escapeHeld(keyQueries) ? kKeyDownBit : 0;
    }
    void forgetKeyPresses() override {}
    void Terminate() override { ++terminations; }

    // ESC held from the given query on (1 is the first poll).
    void holdEscapeFromQuery(int query) {
        escapeHeld = [query](int asked) { return asked >= query; };
    }

    std::int64_t now = 0;
    // Off, a pause returns at once: as if the program had not paused at all.
    bool sleepsTakeTime = true;
    std::vector<Pause> sleeps;
    int keyQueries = 0;
    int terminations = 0;
    std::function<bool(int)> escapeHeld;
    // When set, the time is this clock's (a benchmark on real time).
    std::function<std::int64_t()> clock;
};
