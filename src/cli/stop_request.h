// Whether a command that sends to modems should stop: as its caller says, or, when the caller says
// nothing, as the system's stop signals say (Ctrl+C and the like), caught for as long as this lives.
#pragma once

#include <functional>
#include <optional>

#include "platform/stop_signal_watcher.h"

namespace flash410::cli {

class StopRequest {
  public:
    // Made before the preparation begins, so that a stop then leaves no half-made files behind, and before
    // the ports' threads start, so that they leave the signals to the watcher.
    explicit StopRequest(std::function<bool()> given) : given_(std::move(given)) {
        if (!given_) {
            signals_.emplace();
            given_ = [this] { return signals_->Requested(); };
        }
    }
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    bool operator()() const { return given_(); }
    // For what asks through a function; valid while this lives.
    const std::function<bool()>& AsFunction() const { return given_; }

  private:
    std::optional<platform::StopSignalWatcher> signals_;
    std::function<bool()> given_;
};

}  // namespace flash410::cli
