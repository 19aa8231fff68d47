// The window is designed in pixels at 96 DPI, as the Linux window is; on a monitor of another DPI every
// length is scaled by the monitor's DPI over 96.
#pragma once

#include <windows.h>

#include <cmath>

namespace flash410::win32_window {

inline constexpr int kDesignDpi = 96;

class DpiScale {
  public:
    explicit DpiScale(UINT dpi = kDesignDpi) : dpi_(static_cast<int>(dpi)) {}

    int dpi() const { return dpi_; }
    // A length of the design on this monitor.
    int operator()(int designPixels) const { return MulDiv(designPixels, dpi_, kDesignDpi); }
    // A rectangle of the design, its edges scaled so that neighbours stay neighbours.
    RECT operator()(const RECT& design) const {
        return {(*this)(design.left), (*this)(design.top), (*this)(design.right), (*this)(design.bottom)};
    }
    // The pixel height of a font of this many points (72 points to the inch).
    int PointsToPixels(double points) const { return static_cast<int>(std::lround(points * dpi_ / 72.0)); }

  private:
    int dpi_;
};

// A rectangle given as the Linux window gives it: left, top, width, height.
constexpr RECT DesignRect(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

}  // namespace flash410::win32_window
