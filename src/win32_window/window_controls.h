// The controls of the main window, made at their design places (the window layout's rectangles, in
// pixels at 96 DPI) and put back at them, scaled, whenever the window's DPI changes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win32_window/dpi_scale.h"
#include "window_model/window_layout.h"

namespace flash410::win32_window {

using window_model::ControlId;
using window_model::TextAlignment;

class WindowControls {
  public:
    explicit WindowControls(HINSTANCE instance) : instance_(instance) {}

    // Text that never wraps keeps to one line; wrapped text breaks between words.
    HWND AddLabel(HWND parent, ControlId id, const RECT& design, TextAlignment alignment, bool wrapped,
                  const std::string& text = "");
    // The caption's "&" marks the letter that Alt presses it with.
    HWND AddButton(HWND parent, ControlId id, const RECT& design, const std::string& caption);
    // A pick-only drop-down list; design's height is the closed list's.
    HWND AddList(HWND parent, ControlId id, const RECT& design, const std::vector<std::string>& items,
                 int visibleItems);
    HWND AddPanel(HWND parent, ControlId id, const RECT& design);
    HWND AddGauge(HWND parent, ControlId id, const RECT& design);
    // A picture the size of its bitmap (STM_SETIMAGE), with its top left corner at design's.
    HWND AddPicture(HWND parent, ControlId id, const RECT& design);

    // Puts every control at its place at this scale, with its design height.
    void Place(const DpiScale& scale);
    const DpiScale& scale() const { return scale_; }
    // Sets the font of every control.
    void SetFont(HFONT font) const;

  private:
    struct Placed {
        HWND window;
        RECT design;
        bool list;
    };

    HWND Add(HWND parent, ControlId id, const RECT& design, const wchar_t* windowClass, DWORD style,
             const std::string& text, bool list = false);
    void PlaceOne(const Placed& control) const;

    HINSTANCE instance_;
    DpiScale scale_;
    std::vector<Placed> placed_;
};

}  // namespace flash410::win32_window
