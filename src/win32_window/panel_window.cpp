#include "win32_window/panel_window.h"

#include <array>

#include "win32_window/gdi_objects.h"

namespace flash410::win32_window {

namespace {

constexpr wchar_t kPanelClass[] = L"Flash410Panel";

void Paint(HWND panel) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(panel, &paint);
    RECT client;
    GetClientRect(panel, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    const auto font = reinterpret_cast<HFONT>(GetWindowLongPtrW(panel, GWLP_USERDATA));
    const Selection useFont(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    std::array<wchar_t, 256> title{};
    const int length = GetWindowTextW(panel, title.data(), static_cast<int>(title.size()));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);

    // A title sits on the frame's top edge, which runs through the middle of its line.
    RECT frame = client;
    if (length > 0) {
        frame.top += metrics.tmHeight / 2;
    }
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (length > 0) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetBkMode(dc, OPAQUE);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT line{metrics.tmAveCharWidth, 0, client.right, metrics.tmHeight};
        DrawTextW(dc, title.data(), length, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        // A little room either side of the title breaks the frame's line.
        line.left -= metrics.tmAveCharWidth / 2;
        line.right += metrics.tmAveCharWidth / 2;
        DrawTextW(dc, title.data(), length, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(panel, &paint);
}

LRESULT CALLBACK PanelProcedure(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT:
        case WM_DRAWITEM:
        case WM_MEASUREITEM: {
            // The top-level window handles every control's notifications, whichever panel holds it.
            const HWND top = GetAncestor(panel, GA_ROOT);
            if (top != nullptr && top != panel) {
                return SendMessageW(top, message, wParam, lParam);
            }
            break;
        }
        case WM_SETFONT:
            SetWindowLongPtrW(panel, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam) != 0) {
                InvalidateRect(panel, nullptr, TRUE);
            }
            return 0;
        case WM_GETFONT:
            return GetWindowLongPtrW(panel, GWLP_USERDATA);
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcW(panel, message, wParam, lParam);
            InvalidateRect(panel, nullptr, TRUE);
            return result;
        }
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills the whole panel
        case WM_PAINT:
            Paint(panel);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

}  // namespace

HWND CreatePanel(HWND parent, const RECT& place, HINSTANCE instance) {
    // Registered by the first panel; the system keeps the class until the program ends.
    WNDCLASSEXW panelClass{};
    panelClass.cbSize = sizeof(panelClass);
    panelClass.style = CS_HREDRAW | CS_VREDRAW;
    panelClass.lpfnWndProc = PanelProcedure;
    panelClass.hInstance = instance;
    panelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panelClass.lpszClassName = kPanelClass;
    RegisterClassExW(&panelClass);  // fails harmlessly once the class exists
    return CreateWindowExW(
        WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, place.left,
        place.top, place.right - place.left, place.bottom - place.top, parent, nullptr, instance, nullptr);
}

}  // namespace flash410::win32_window
