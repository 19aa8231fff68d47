#include <windows.h>

#include <QMetaObject>
#include <atomic>

#include "window/termination_signals.h"

namespace flash410 {

namespace {
// The console's control handler is one per process and takes no context: it finds the watcher here. Only
// the watcher's constructor and destructor change it.
std::atomic<TerminationWatcher*> activeWatcher{nullptr};

// Runs on a thread of the system's own: the request is passed to the window's thread.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    TerminationWatcher* watcher = activeWatcher.load();
    if (watcher == nullptr) {
        return FALSE;  // the usual end
    }
    QMetaObject::invokeMethod(watcher, [watcher] { watcher->Notify(); }, Qt::QueuedConnection);
    return TRUE;
}
}  // namespace

void BlockTerminationSignals() {
    // Nothing to block: Windows delivers Ctrl+C and the console's close to the handler's own thread.
}

TerminationWatcher::TerminationWatcher(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    activeWatcher = this;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

TerminationWatcher::~TerminationWatcher() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    activeWatcher = nullptr;
}

void TerminationWatcher::Notify() {
    onSignal_();
}

}  // namespace flash410
