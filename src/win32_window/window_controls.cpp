#include "win32_window/window_controls.h"

#include <commctrl.h>

#include "platform/utf16_text_win32.h"
#include "win32_window/panel_window.h"

namespace flash410::win32_window {

namespace {

// A closed drop-down list is its selection field and a border of 3 pixels above and below.
constexpr int kListBorder = 6;

}  // namespace

HWND WindowControls::Add(HWND parent, ControlId id, const RECT& design, const wchar_t* windowClass,
                         DWORD style, const std::string& text, bool list) {
    const RECT place = scale_(design);
    const HWND control =
        CreateWindowExW(0, windowClass, platform::Utf16FromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                        place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    placed_.push_back({control, design, list});
    return control;
}

HWND WindowControls::AddLabel(HWND parent, ControlId id, const RECT& design, TextAlignment alignment,
                              bool wrapped, const std::string& text) {
    DWORD style = SS_NOPREFIX;  // a file name with "&" in it is shown as it is named
    switch (alignment) {
        case TextAlignment::kLeft:
            style |= wrapped ? SS_LEFT : SS_LEFTNOWORDWRAP;
            break;
        case TextAlignment::kCentre:
            style |= SS_CENTER;
            break;
        case TextAlignment::kRight:
            style |= SS_RIGHT;
            break;
    }
    return Add(parent, id, design, WC_STATICW, style, text);
}

HWND WindowControls::AddButton(HWND parent, ControlId id, const RECT& design, const std::string& caption) {
    return Add(parent, id, design, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, caption);
}

HWND WindowControls::AddList(HWND parent, ControlId id, const RECT& design,
                             const std::vector<std::string>& items, int visibleItems) {
    const HWND list =
        Add(parent, id, design, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, "", true);
    for (const std::string& item : items) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Utf16FromUtf8(item).c_str()));
    }
    SendMessageW(list, CB_SETMINVISIBLE, static_cast<WPARAM>(visibleItems), 0);
    PlaceOne(placed_.back());
    return list;
}

HWND WindowControls::AddPanel(HWND parent, ControlId id, const RECT& design) {
    const HWND panel = CreatePanel(parent, scale_(design), instance_);
    SetWindowLongPtrW(panel, GWLP_ID, static_cast<LONG_PTR>(id));
    ShowWindow(panel, SW_SHOWNA);
    placed_.push_back({panel, design, false});
    return panel;
}

HWND WindowControls::AddGauge(HWND parent, ControlId id, const RECT& design) {
    return Add(parent, id, design, PROGRESS_CLASSW, 0, "");
}

HWND WindowControls::AddPicture(HWND parent, ControlId id, const RECT& design) {
    return Add(parent, id, design, WC_STATICW, SS_BITMAP, "");
}

void WindowControls::PlaceOne(const Placed& control) const {
    const RECT place = scale_(control.design);
    int height = place.bottom - place.top;
    if (control.list) {
        // The list's field takes the design's height; the window's own height is that of the list
        // dropped down, which the list works out from its visible items.
        SendMessageW(control.window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - kListBorder);
        const auto items = static_cast<int>(SendMessageW(control.window, CB_GETCOUNT, 0, 0));
        const auto itemHeight = static_cast<int>(SendMessageW(control.window, CB_GETITEMHEIGHT, 0, 0));
        height += items * itemHeight + 2;
    }
    MoveWindow(control.window, place.left, place.top, place.right - place.left, height, TRUE);
}

void WindowControls::Place(const DpiScale& scale) {
    scale_ = scale;
    for (const Placed& control : placed_) {
        PlaceOne(control);
    }
}

void WindowControls::SetFont(HFONT font) const {
    for (const Placed& control : placed_) {
        SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

}  // namespace flash410::win32_window
