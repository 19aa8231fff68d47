#include <signal.h>

#include <array>
#include <atomic>

#include "platform/stop_signals.h"

namespace flash410::cli {

namespace {

// A signal handler can only reach the program through a lock-free flag that lives outside any object.
std::atomic<bool> stopSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// A closed terminal or a dropped ssh session (SIGHUP) stops the upload as SIGTERM does, rather than
// killing it half-way through.
constexpr std::array kStopSignals{SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, kStopSignals.size()> previousActions{};

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
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &action, &previousActions[i]);
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &previousActions[i], nullptr);
    }
}

bool StopSignals::Requested() const {
    return stopSignalled.load();
}

}  // namespace flash410::cli
