#include <windows.h>

#include <atomic>

#include "platform/stop_signal_watcher.h"
#include "platform/unique_handle_win32.h"

namespace flash410::platform {

namespace {

// The console calls its control handler on a thread of its own and gives it no context: what it shares
// with the watcher lives here, lock-free. Only the watcher's constructor and destructor change the event.
std::atomic<bool> stopRequested{false};
std::atomic<HANDLE> requestEvent{nullptr};
std::atomic<bool> watcherGone{true};

// A closed console window ends the program as soon as the handler returns (or after 5 seconds): the
// handler holds on until the program has stopped in its own time and its watcher is gone, so that its
// ports are closed and its capture files written out.
constexpr DWORD kCloseGraceMs = 4500;
constexpr DWORD kCloseCheckMs = 50;

void Request() {
    stopRequested.store(true);
    if (const HANDLE event = requestEvent.load(); event != nullptr) {
        SetEvent(event);
    }
}

BOOL WINAPI OnConsoleControl(DWORD controlType) {
    switch (controlType) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            Request();
            return TRUE;
        case CTRL_CLOSE_EVENT:
            Request();
            for (DWORD waited = 0; waited < kCloseGraceMs && !watcherGone.load(); waited += kCloseCheckMs) {
                Sleep(kCloseCheckMs);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

struct StopSignalWatcher::State {
    UniqueHandle event;
    int error = 0;
};

void BlockStopSignals(HangUp) {
    // Nothing to block: Windows gives the console's events to the handler's own thread.
}

StopSignalWatcher::StopSignalWatcher(HangUp) : state_(std::make_unique<State>()) {
    state_->event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!state_->event.valid()) {
        state_->error = static_cast<int>(GetLastError());
        return;
    }
    stopRequested.store(false);
    watcherGone.store(false);
    requestEvent.store(state_->event.get());
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignalWatcher::~StopSignalWatcher() {
    if (!state_->event.valid()) {
        return;
    }
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    requestEvent.store(nullptr);
    watcherGone.store(true);  // a closing console's handler lets the program end now
}

int StopSignalWatcher::Error() const {
    return state_->error;
}

bool StopSignalWatcher::Requested() const {
    return stopRequested.load();
}

bool StopSignalWatcher::TakeRequests() {
    // The event first: a request that comes in between sets it again and is taken next time.
    if (state_->event.valid()) {
        ResetEvent(state_->event.get());
    }
    return stopRequested.exchange(false);
}

StopSignalWatcher::WaitObject StopSignalWatcher::Waitable() const {
    return reinterpret_cast<WaitObject>(state_->event.get());
}

}  // namespace flash410::platform
