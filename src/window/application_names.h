// The names the window program gives itself, so that its windows carry its title and the desktop ties
// them to its menu entry and icon.
#pragma once

namespace flash410 {

// Needs a running QApplication.
void NameTheApplication();

}  // namespace flash410
