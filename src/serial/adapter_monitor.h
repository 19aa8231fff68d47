// Tells when serial devices come or go (a USB-serial adapter plugged in or pulled out), so that what is
// shown about the ports can be looked up again. The caller watches waitable() in its own event loop and
// calls TakeChanges() when it turns readable.
#pragma once

#include <memory>

namespace flash410::serial {

class AdapterMonitor {
  public:
    // The device manager's events where it runs, else the kernel's own (a small system with only devtmpfs).
    // A monitor that cannot be made (no netlink socket to be had) is an idle one: its waitable() is -1 and
    // it never reports a change. Nothing is lost by it but the prompt news.
    AdapterMonitor();
    ~AdapterMonitor();
    AdapterMonitor(const AdapterMonitor&) = delete;
    AdapterMonitor& operator=(const AdapterMonitor&) = delete;

    // The descriptor that turns readable when something happened; -1 for an idle monitor.
    int waitable() const;
    // Reads what happened without blocking; true when a serial device came or went.
    bool TakeChanges();

  private:
    struct Udev;
    std::unique_ptr<Udev> udev_;
};

}  // namespace flash410::serial
