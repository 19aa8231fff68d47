// The banner at the top of the main window (a dark blue field, a satellite dish sending towards the
// lettering "VARNEL" and "ZRM-410 Flash Upload"), drawn from the pictures of it that the program carries
// as bitmap resources: one at 96 DPI and one at twice that, rendered from packaging/banner/banner.svg.
#pragma once

#include <windows.h>

#include "win32_window/dpi_scale.h"
#include "win32_window/gdi_objects.h"

namespace flash410::win32_window {

// The banner's size in the design, in pixels at 96 DPI.
inline constexpr int kBannerWidth = 299;
inline constexpr int kBannerHeight = 68;

// The program's picture of the banner for a monitor of this DPI: the one at 96 DPI up to 96 DPI, the one
// at twice that above. A 24-bit bitmap; empty when the program lacks the resource.
OwnedBitmap LoadBannerPicture(const DpiScale& scale);

// The banner at the monitor's scale: a 24-bit bitmap of the design size scaled, the picture for that DPI
// as it is when it has that size, else smoothly scaled to it.
OwnedBitmap PaintBanner(const DpiScale& scale);

}  // namespace flash410::win32_window
