#include "win32_window/help_window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/utf16_text_win32.h"
#include "win32_window/owned_window.h"

namespace flash410::win32_window {

namespace {

using Id = HelpControl;

constexpr wchar_t kWindowClass[] = L"Flash410HelpWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
// The Linux help window's margins and spacing, in design pixels.
constexpr int kMargin = 9;
constexpr int kGap = 6;
constexpr int kTitleHeight = 24;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 33;
// Room left and right of a title in the topic list.
constexpr int kTopicPadding = 3;

std::wstring Wide(const std::string& text) {
    return platform::Utf16FromUtf8(text);
}

OwnedFont TitleFont(const DpiScale& scale) {
    return OwnedFont(CreateFontW(-scale(window_model::kHelpTitlePixels), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                                 FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Arial"));
}

}  // namespace

HelpWindow::HelpWindow(HWND owner, std::filesystem::path helpFile)
    : view_(std::move(helpFile)),
      scale_(DpiOfOwner(owner)),
      fonts_(scale_),
      titleFont_(TitleFont(scale_)),
      window_(CreateOwnedWindow(
          owner,
          {kWindowClass, Wide(window_model::kHelpWindowTitle).c_str(), kWindowStyle, kWindowExStyle,
           window_model::kHelpWindowWidth, window_model::kHelpWindowHeight, false},
          scale_, &HelpWindow::Procedure, this)) {
    if (window_) {
        BuildControls();
        Layout();
    }
}

HelpWindow::~HelpWindow() {
    if (window_) {
        SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
    }
}

void HelpWindow::ShowTopic(int context) {
    Draw(view_.ShowTopic(context));
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
}

LRESULT CALLBACK HelpWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HelpWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->hwnd() != window) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT HelpWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == static_cast<WORD>(Id::kTopicList) && HIWORD(wParam) == LBN_SELCHANGE) {
                const LRESULT row = SendMessageW(Control(Id::kTopicList), LB_GETCURSEL, 0, 0);
                if (row >= 0) {
                    Draw(view_.PickRow(static_cast<std::size_t>(row)));
                }
            } else if (LOWORD(wParam) == static_cast<WORD>(Id::kCloseButton) &&
                       HIWORD(wParam) == BN_CLICKED) {
                ShowWindow(hwnd(), SW_HIDE);
            }
            return 0;
        case WM_CLOSE:
            // Closing only hides it: the next Help shows it again where the operator left it.
            ShowWindow(hwnd(), SW_HIDE);
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_MEASUREITEM:
            MeasureTopic(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            DrawTopic(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
            // The read-only text is on white, as a page of help is; the labels on the window's colour.
            if (reinterpret_cast<HWND>(lParam) == Control(Id::kTopicText)) {
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd(), message, wParam, lParam);
}

void HelpWindow::BuildControls() {
    const auto add = [this](Id id, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                            const wchar_t* text) {
        const HWND control = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0,
                                             0, 0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                             GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Base()), FALSE);
        return control;
    };
    // Drawn here, so that a long title wraps onto more lines as in the Linux window's list.
    add(Id::kTopicList, WC_LISTBOXW,
        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
        WS_EX_CLIENTEDGE, L"");
    const HWND title = add(Id::kTopicTitle, WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, L"");
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
    add(Id::kTopicText, WC_EDITW, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
        WS_EX_CLIENTEDGE, L"");
    add(Id::kFileNotes, WC_STATICW, SS_LEFT | SS_NOPREFIX, 0, L"");
    ShowWindow(Control(Id::kFileNotes), SW_HIDE);
    add(Id::kCloseButton, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0, L"&Close");
}

HWND HelpWindow::Control(Id id) const {
    return GetDlgItem(hwnd(), static_cast<int>(id));
}

void HelpWindow::Layout() {
    // The topic list down the left; the title above the text on the right; the notes on the help file and
    // Close along the bottom.
    RECT client;
    GetClientRect(hwnd(), &client);
    const int margin = scale_(kMargin);
    const int gap = scale_(kGap);
    const int buttonWidth = scale_(kButtonWidth);
    const int buttonHeight = scale_(kButtonHeight);
    const int bodyBottom = client.bottom - margin - buttonHeight - gap;
    const int listWidth = scale_(window_model::kHelpTopicListWidth);
    const int right = client.right - margin;
    const int textLeft = margin + listWidth + gap;
    const int titleHeight = scale_(kTitleHeight);
    const auto place = [](HWND control, int left, int top, int rightEdge, int bottomEdge) {
        MoveWindow(control, left, top, std::max(rightEdge - left, 0), std::max(bottomEdge - top, 0), TRUE);
    };
    place(Control(Id::kTopicList), margin, margin, margin + listWidth, bodyBottom);
    place(Control(Id::kTopicTitle), textLeft, margin, right, margin + titleHeight);
    place(Control(Id::kTopicText), textLeft, margin + titleHeight + gap, right, bodyBottom);
    const int footerTop = client.bottom - margin - buttonHeight;
    place(Control(Id::kFileNotes), margin, footerTop, right - buttonWidth - gap, client.bottom - margin);
    place(Control(Id::kCloseButton), right - buttonWidth, footerTop, right, client.bottom - margin);
}

std::wstring HelpWindow::TopicTitle(UINT row) const {
    const std::vector<window_model::HelpTopicRow>& rows = view_.screen().Rows;
    return row < rows.size() ? Wide(rows[row].Title) : std::wstring();
}

RECT HelpWindow::TopicTextArea(const RECT& item) const {
    const int padding = scale_(kTopicPadding);
    return {item.left + padding, item.top + 1, item.right - padding, item.bottom - 1};
}

void HelpWindow::MeasureTopic(MEASUREITEMSTRUCT& item) const {
    RECT list;
    GetClientRect(Control(Id::kTopicList), &list);
    // Room for the scroll bar that a long list needs, so that the wrapping stays as measured.
    list.right -= GetSystemMetricsForDpi(SM_CXVSCROLL, static_cast<UINT>(scale_.dpi()));
    RECT area = TopicTextArea(list);
    const std::wstring title = TopicTitle(item.itemID);
    const ScreenDc screen;
    const Selection use(screen.get(), fonts_.Base());
    DrawTextW(screen.get(), title.c_str(), static_cast<int>(title.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    item.itemHeight = static_cast<UINT>(std::clamp<LONG>(area.bottom - area.top + 2, 1, 255));
}

void HelpWindow::DrawTopic(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1)) {
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const Selection use(item.hDC, fonts_.Base());
    RECT area = TopicTextArea(item.rcItem);
    const std::wstring title = TopicTitle(item.itemID);
    DrawTextW(item.hDC, title.c_str(), static_cast<int>(title.size()), &area, DT_WORDBREAK | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

void HelpWindow::Draw(const window_model::HelpScreen& screen) {
    const HWND list = Control(Id::kTopicList);
    if (screen.Rows != drawnRows_) {
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const window_model::HelpTopicRow& row : screen.Rows) {
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row.Title).c_str()));
        }
        drawnRows_ = screen.Rows;
    }
    SendMessageW(list, LB_SETCURSEL, screen.SelectedRow ? *screen.SelectedRow : static_cast<WPARAM>(-1), 0);
    SetWindowTextW(Control(Id::kTopicTitle), Wide(screen.Topic.title).c_str());
    // The text box shows paragraphs apart and items that follow directly on the next line, each with its
    // bullet or number.
    SetWindowTextW(
        Control(Id::kTopicText),
        Wide(screen.Topic.PlainText({.LineEnd = "\r\n", .Bullet = "\u2022  ", .AfterNumber = ".  "}))
            .c_str());
    // Tells whoever edits the help text which lines it lost.
    const HWND notes = Control(Id::kFileNotes);
    SetWindowTextW(notes, Wide(screen.Notes).c_str());
    ShowWindow(notes, screen.Notes.empty() ? SW_HIDE : SW_SHOW);
}

}  // namespace flash410::win32_window
