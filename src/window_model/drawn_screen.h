// The screen state as a window last drew it, so that each drawing reaches only the controls whose state
// changed since: the 50 ms tick draws twenty times a second, and laying out unchanged labels again would
// cost a noticeable share of a core.
#pragma once

#include <optional>

#include "window_model/screen_state.h"
#include "window_model/window_layout.h"

namespace flash410::window_model {

class DrawnScreen {
  public:
    // Whether the control's field differs between now and the last drawing; every control with a field
    // has changed before the first drawing and after Forget. A control without a field never changes.
    bool Changed(const ControlDescription& control, const ScreenState& now) const;
    void Drew(const ScreenState& now) { shown_ = now; }
    // The next drawing draws every control again (in new fonts, say).
    void Forget() { shown_.reset(); }

  private:
    std::optional<ScreenState> shown_;
};

}  // namespace flash410::window_model
