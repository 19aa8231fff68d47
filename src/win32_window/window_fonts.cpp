#include "win32_window/window_fonts.h"

#include <cmath>

namespace flash410::win32_window {

namespace {

// An em of this many pixels; Windows takes a negative height as the em rather than the cell.
OwnedFont Arial(int pixels, bool boldItalic = false) {
    return OwnedFont(CreateFontW(-pixels, 0, 0, 0, boldItalic ? FW_BOLD : FW_NORMAL,
                                 boldItalic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

}  // namespace

WindowFonts::WindowFonts(const DpiScale& scale)
    : scale_(scale), base_(Arial(scale(13))), title_(Arial(scale(32), true)) {}

HFONT WindowFonts::Points(double points) {
    const int halfPoints = static_cast<int>(std::lround(points * 2));
    OwnedFont& font = byHalfPoints_[halfPoints];
    if (!font) {
        font = Arial(scale_.PointsToPixels(halfPoints / 2.0));
    }
    return font.get();
}

}  // namespace flash410::win32_window
