// Tells promptly, from a thread of its own, when serial devices (USB-serial adapters) come or go, so that a
// program that runs for long, such as a station's loop, lists its ports again at once rather than at its
// next slow look. Linux: the device manager's monitor (AdapterMonitor) on a thread; Windows: the
// configuration manager's notifications for COM port interfaces, on the system's threads.
#pragma once

#include <functional>
#include <memory>

namespace flash410::serial {

class AdapterWatch {
  public:
    // changed is called each time serial devices came or went, on a thread that is not the caller's (one
    // change may give more than one call). It must be quick, thread-safe and must not throw: post the work to
    // the caller's own loop.
    explicit AdapterWatch(std::function<void()> changed);
    // Stops the watch and waits for a call of changed under way; none comes after.
    ~AdapterWatch();
    AdapterWatch(const AdapterWatch&) = delete;
    AdapterWatch& operator=(const AdapterWatch&) = delete;

    // Whether the system's news is heard; false when none could be had (no device monitor, a system
    // without the notifications), and only the caller's slow look finds new adapters.
    bool Prompt() const;

  private:
    struct State;  // the system's own, in adapter_watch_<system>.cpp
    std::unique_ptr<State> state_;
};

}  // namespace flash410::serial
