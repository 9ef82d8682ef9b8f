#pragma once

#include <cstdint>

// The system services the program waits on or asks about. Kept behind one
// interface so tests run on virtual time and can hold ESC at a chosen moment.
class Platform {
  public:
    static constexpr int kVkEscape = 27;
    static constexpr short kKeyDownBit = 0x80;

    virtual ~Platform() = default;

    // Blocks the calling thread for the given milliseconds.
    virtual void Sleep(int milliseconds) = 0;
    // Blocks until the monotonic clock reaches the given nanosecond mark.
    virtual void waitUntil(std::int64_t nanoseconds) = 0;
    // Monotonic time in nanoseconds.
    virtual std::int64_t nowNs() const = 0;
    // Bit 0x80 set while the key is held, as the Windows call of that name.
    virtual short GetKeyState(int virtualKey) = 0;
    // From here on a key counts only if it is held or pressed again: a tap
    // made before (closing a box or a menu with ESC) is forgotten.
    virtual void forgetKeyPresses() = 0;
    // Asks the application to end once the running handler has returned.
    virtual void Terminate() = 0;
};
