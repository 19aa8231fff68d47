// The main window's fonts at the monitor's scale, as the Linux window has them: Arial of 13 pixels for
// every control, the title's bold italic Arial of 32 pixels, and Arial at the point sizes that some
// labels ask for.
#pragma once

#include <windows.h>

#include <map>

#include "win32_window/dpi_scale.h"
#include "win32_window/gdi_objects.h"

namespace flash410::win32_window {

class WindowFonts {
  public:
    explicit WindowFonts(const DpiScale& scale);

    HFONT Base() const { return base_.get(); }
    HFONT Title() const { return title_.get(); }
    // Arial of this many points (halves count: 8.5), made when first asked for.
    HFONT Points(double points);

  private:
    DpiScale scale_;
    OwnedFont base_;
    OwnedFont title_;
    std::map<int, OwnedFont> byHalfPoints_;
};

}  // namespace flash410::win32_window
