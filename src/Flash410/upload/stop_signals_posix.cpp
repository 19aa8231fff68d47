#include <signal.h>

#include <atomic>

#include "stop_signals.h"

namespace flash410::cli {

namespace {

// A signal handler can only reach the program through a lock-free flag that lives outside any object.
std::atomic<bool> stopSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

void OnStopSignal(int) {
    stopSignalled.store(true);
}

}  // namespace

StopSignals::StopSignals() {
    stopSignalled.store(false);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // the serial threads' waits go on; the upload loop looks at the flag
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
}

bool StopSignals::Requested() const {
    return stopSignalled.load();
}

}  // namespace flash410::cli
