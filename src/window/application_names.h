// The names the window program gives itself, so that the desktop ties its windows to its menu entry and
// icon. Every window's title stays exactly the one the window sets.
#pragma once

namespace flash410::window {

// Needs a running QApplication.
void NameTheApplication();

}  // namespace flash410::window
