// The requests to end a program from outside: SIGINT (Ctrl+C), SIGTERM and SIGHUP on POSIX; the console's
// Ctrl+C, Ctrl+Break and close on Windows. Caught, they let a program stop in its own time (send nothing
// more, close its ports and files) instead of ending at once. Nothing here throws: a watcher
// that cannot be set up leaves the signals as they were and gives the system's error number by Error().
#pragma once

#include <cstdint>
#include <memory>

namespace flash410::platform {

// What SIGHUP (the terminal closed, the ssh session dropped) does while a watcher lives: stop as the
// other signals do, or end the program as it would without a watcher. Windows has no such signal.
enum class HangUp { kStops, kEndsProgram };

// Blocks the stop signals in the calling thread and in every thread it starts from then on, so that no
// thread but a watcher's takes them (nothing to do on Windows). For a program that starts threads before
// its watcher: call it before the first.
void BlockStopSignals(HangUp hangUp = HangUp::kStops);

// Catches the stop signals for as long as it lives; one watcher at a time. On POSIX the signals are
// blocked in the thread that makes it, and it is that thread's to ask: make it before any other thread
// starts (they inherit the blocking), or block the signals first everywhere with BlockStopSignals. When
// it goes, the signals are as they were before it, and a request not taken goes with it.
class StopSignalWatcher {
  public:
    // What an event loop waits on: a descriptor that polls readable on POSIX, a manual-reset event's
    // HANDLE on Windows, for as long as a request waits to be taken.
    using WaitObject = std::intptr_t;

    explicit StopSignalWatcher(HangUp hangUp = HangUp::kStops);
    ~StopSignalWatcher();
    StopSignalWatcher(const StopSignalWatcher&) = delete;
    StopSignalWatcher& operator=(const StopSignalWatcher&) = delete;

    // 0, or the system's error number when the signals could not be caught; they then end the program as
    // they would without a watcher.
    int Error() const;
    // Whether a request has come that has not been taken.
    bool Requested() const;
    // Takes the requests that have come, so that the wait object rests until the next; true when there
    // was one.
    bool TakeRequests();
    WaitObject Waitable() const;

  private:
    struct State;  // the system's own, in stop_signal_watcher_<system>.cpp
    std::unique_ptr<State> state_;
};

}  // namespace flash410::platform
