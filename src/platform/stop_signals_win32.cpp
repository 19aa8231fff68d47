#include <windows.h>

#include <atomic>

#include "platform/stop_signals.h"

namespace flash410::cli {

namespace {

// The console calls its control handler on a thread of its own; a lock-free flag is all they share.
std::atomic<bool> stopSignalled{false};

BOOL WINAPI OnConsoleControl(DWORD controlType) {
    switch (controlType) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            stopSignalled.store(true);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

StopSignals::StopSignals() {
    stopSignalled.store(false);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool StopSignals::Requested() const {
    return stopSignalled.load();
}

}  // namespace flash410::cli
