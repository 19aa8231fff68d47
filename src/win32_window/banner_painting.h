// The banner at the top of the main window: the picture the Linux window paints with Qt (a dark blue
// field, a satellite dish sending towards the lettering "VARNEL" and "ZRM-410 Flash Upload"), painted
// here with GDI. GDI draws without antialiasing, so the picture is drawn at four times its size and
// each 4 x 4 block is averaged into one pixel.
#pragma once

#include <windows.h>

#include "win32_window/dpi_scale.h"
#include "win32_window/gdi_objects.h"

namespace flash410::win32_window {

// The banner's size in the design, in pixels at 96 DPI.
inline constexpr int kBannerWidth = 299;
inline constexpr int kBannerHeight = 68;

// The banner at the monitor's scale: a 24-bit bitmap of the design size scaled.
OwnedBitmap PaintBanner(const DpiScale& scale);

}  // namespace flash410::win32_window
