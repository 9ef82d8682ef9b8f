#pragma once

#include <csignal>

namespace cli {

// Ctrl+C, SIGTERM and SIGHUP, as the loops and the readers see them: a
// request to cancel. The signals are held back while the guard lives and
// taken when asked for.
class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    static bool requested();

  private:
    sigset_t old_{};
};

// Called before any thread exists, so that none takes Ctrl+C: the threads
// made later inherit the held signals, and only the loops ask for them.
void holdInterruptsInEveryThread();

// A kill -9 at a fixed step of a serial number's life, for the crash tests:
// PROGRAMADOR_CAIDA=PASO:N dies the Nth time the run reaches PASO
// (reservado, grabando, confirmar). Unset, it does nothing.
void crashPoint(const char* step);

}  // namespace cli
