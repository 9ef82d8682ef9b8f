#include "cli/Interrupts.h"

#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

namespace cli {

namespace {
// Asked by every worker of a gang: the first to take the signal tells all.
std::atomic<bool> interruptRequested = false;

sigset_t interruptSignals() {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    // A dropped ssh session: the programmer still gets its cancel and exit runs.
    sigaddset(&interrupts, SIGHUP);
    return interrupts;
}
}  // namespace

void holdInterruptsInEveryThread() {
    const sigset_t interrupts = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);
}

InterruptGuard::InterruptGuard() {
    interruptRequested = false;
    const sigset_t interrupts = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &interrupts, &old_);
}

InterruptGuard::~InterruptGuard() {
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

bool InterruptGuard::requested() {
    // Blocked, the signal waits to be asked for: no transfer is cut short by
    // it, and only the loops act on it.
    sigset_t pending;
    sigpending(&pending);
    const sigset_t interrupts = interruptSignals();
    const timespec now{0, 0};
    if (sigismember(&pending, SIGINT) || sigismember(&pending, SIGTERM) ||
        sigismember(&pending, SIGHUP))
        if (sigtimedwait(&interrupts, nullptr, &now) > 0) interruptRequested = true;
    return interruptRequested;
}

void crashPoint(const char* step) {
    static const char* const wanted = std::getenv("PROGRAMADOR_CAIDA");
    if (!wanted) return;
    static std::mutex counting;
    static int reached = 0;
    const char* colon = std::strchr(wanted, ':');
    const std::string name(wanted, colon ? std::size_t(colon - wanted) : std::strlen(wanted));
    if (name != step) return;
    const std::lock_guard lock(counting);
    if (++reached == (colon ? std::atoi(colon + 1) : 1)) ::raise(SIGKILL);
}

}  // namespace cli
