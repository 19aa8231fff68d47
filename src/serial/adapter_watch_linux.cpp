// The adapter watch on Linux: the device monitor's descriptor watched by a thread of its own.
#include <optional>

#include "serial/adapter_monitor.h"
#include "serial/adapter_watch.h"
#include "serial/readable_watch_linux.h"

namespace flash410::serial {

// The watch before the monitor goes, as its thread reads the monitor.
struct AdapterWatch::State {
    AdapterMonitor monitor;
    std::optional<ReadableWatch> watch;
};

AdapterWatch::AdapterWatch(std::function<void()> changed) : state_(std::make_unique<State>()) {
    if (state_->monitor.waitable() < 0) {
        return;
    }
    state_->watch.emplace(state_->monitor.waitable(),
                          [monitor = &state_->monitor, changed = std::move(changed)] {
                              if (monitor->TakeChanges()) {
                                  changed();
                              }
                          });
}

AdapterWatch::~AdapterWatch() = default;

bool AdapterWatch::Prompt() const {
    return state_->watch && state_->watch->Watching();
}

}  // namespace flash410::serial
