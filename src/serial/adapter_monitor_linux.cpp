// The adapter monitor on Linux: libudev's netlink monitor, filtered to the tty subsystem.
#include <libudev.h>
#include <unistd.h>

#include <cerrno>

#include "serial/adapter_monitor.h"

namespace flash410::serial {

namespace {

struct UdevUnref {
    void operator()(udev* context) const { udev_unref(context); }
};
struct MonitorUnref {
    void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
};
struct DeviceUnref {
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

using DevicePointer = std::unique_ptr<udev_device, DeviceUnref>;

// The device manager's control socket, there while udevd runs.
constexpr const char* kDeviceManagerControl = "/run/udev/control";

// The events as the device manager passes them on, once it has made the device nodes and their links: a
// port reported then can be opened. Where no device manager runs (a small system with only devtmpfs, whose
// device nodes the kernel makes itself before it tells) nobody passes anything on, and the kernel's own
// events are the news.
const char* EventSource() {
    return ::access(kDeviceManagerControl, F_OK) == 0 ? "udev" : "kernel";
}

}  // namespace

// The context before the monitor that holds a reference to it, so the monitor goes first.
struct AdapterMonitor::Udev {
    std::unique_ptr<udev, UdevUnref> context;
    std::unique_ptr<udev_monitor, MonitorUnref> monitor;
};

AdapterMonitor::AdapterMonitor() {
    auto made = std::make_unique<Udev>();
    made->context.reset(udev_new());
    if (!made->context) {
        return;
    }
    made->monitor.reset(udev_monitor_new_from_netlink(made->context.get(), EventSource()));
    if (!made->monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(made->monitor.get(), "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(made->monitor.get()) < 0 ||
        udev_monitor_get_fd(made->monitor.get()) < 0) {
        return;
    }
    udev_ = std::move(made);
}

AdapterMonitor::~AdapterMonitor() = default;

int AdapterMonitor::waitable() const {
    return udev_ ? udev_monitor_get_fd(udev_->monitor.get()) : -1;
}

bool AdapterMonitor::TakeChanges() {
    if (!udev_) {
        return false;
    }
    // The monitor's socket does not block: each call takes one event, none once all are read.
    bool changed = false;
    while (const DevicePointer device{udev_monitor_receive_device(udev_->monitor.get())}) {
        changed = true;
    }
    // Events were lost as the socket's queue ran over: whatever they were, the ports may have changed.
    return changed || errno == ENOBUFS;
}

}  // namespace flash410::serial
