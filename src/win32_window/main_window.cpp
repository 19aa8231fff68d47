#include "win32_window/main_window.h"

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <exception>
#include <utility>
#include <variant>

#include "platform/time_of_day.h"
#include "platform/utf16_text_win32.h"
#include "platform/utf8_path.h"
#include "win32_window/banner_painting.h"
#include "win32_window/file_chooser.h"
#include "win32_window/resource_ids.h"
#include "window_model/wrapped_text.h"

namespace flash410::win32_window {

namespace {

namespace model = window_model;
using Screen = model::ScreenState;

constexpr wchar_t kWindowClass[] = L"Flash410MainWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

COLORREF ToColour(model::TextColor colour) {
    const model::Rgb rgb = model::RgbOf(colour);
    return RGB(rgb.Red, rgb.Green, rgb.Blue);
}

void ShowMessageBox(HWND owner, const std::string& text, bool isError) {
    MessageBoxW(owner, platform::Utf16FromUtf8(text).c_str(),
                platform::Utf16FromUtf8(model::kApplicationTitle).c_str(),
                MB_OK | (isError ? MB_ICONERROR : MB_ICONWARNING));
}

void SetText(HWND control, const std::string& text) {
    SetWindowTextW(control, platform::Utf16FromUtf8(text).c_str());
}

void SetVisible(HWND control, bool visible) {
    ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

// Registered by the first window; the system keeps the class until the program ends.
HWND CreateTopLevelWindow(HINSTANCE instance, WNDPROC procedure) {
    // The common controls the window uses beyond the standard ones: the progress bar.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(FLASH410_ICON_ID));
    windowClass.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(FLASH410_ICON_ID), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly once the class exists
    return CreateWindowExW(kWindowExStyle, kWindowClass, platform::Utf16FromUtf8(model::kWindowTitle).c_str(),
                           kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                           nullptr, instance, nullptr);
}

// The height the text takes in the font when broken into lines of the width.
int WrappedHeight(HFONT font, const std::wstring& text, int width) {
    const ScreenDc screen;
    const Selection use(screen.get(), font);
    RECT area{0, 0, width, 0};
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(screen.get(), &metrics);
        return metrics.tmHeight;
    }
    DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    return area.bottom - area.top;
}

RECT ToRect(const model::ControlPlace& place) {
    return DesignRect(place.Left, place.Top, place.Width, place.Height);
}

}  // namespace

MainWindow::MainWindow(flash410::platform::FileLocations files, std::string homeFolder,
                       WindowServices services)
    : services_(std::move(services)),
      helpFile_(files.helpFile),
      instance_(GetModuleHandleW(nullptr)),
      window_(CreateTopLevelWindow(instance_, &MainWindow::Procedure)),
      posted_(window_.get()),
      controls_(instance_),
      model_(model::WindowModelEnvironment{
          .postToUiThread = posted_.Poster(),
          .showLineError = [this](const std::string& text) { services_.showMessage(hwnd(), text, true); },
          .processPendingEvents = [this] { posted_.RunQueued(); },
          .clock = platform::LocalTimeOfDaySeconds,
          .files = files,
          .chooseFile = [this](const std::string& filter) { return services_.chooseFile(hwnd(), filter); },
          .listPorts = [this] { return services_.listPorts(); },
      }) {
    if (!services_.showMessage) {
        services_.showMessage = ShowMessageBox;
    }
    if (!services_.chooseFile) {
        // One chooser for the window's life: it keeps the folder and type picked between showings.
        services_.chooseFile = [chooser = std::make_shared<FileChooser>(std::move(homeFolder))](
                                   HWND owner, const std::string& filter) {
            return chooser->Choose(owner, filter);
        };
    }
    if (!services_.showHelp) {
        services_.showHelp = [this](HWND owner, int topic) {
            if (!help_) {
                help_ = std::make_unique<HelpWindow>(owner, platform::PathFromUtf8(helpFile_));
            }
            help_->ShowTopic(topic);
        };
    }
    if (!services_.closed) {
        services_.closed = [] { PostQuitMessage(0); };
    }
    if (!services_.listPorts) {
        services_.listPorts = [] { return serial::ListPorts(serial::InventoryRoots{}); };
    }
    if (!window_) {
        return;  // no window can be made (no display): the program says so and ends
    }

    BuildControls();
    model_.Activate();
    UseScale(GetDpiForWindow(hwnd()));
    // Until here the window's messages went to the system's default handling; from now on, to this.
    SetWindowLongPtrW(hwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Render();
}

MainWindow::~MainWindow() {
    if (window_) {
        SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
        KillTimer(hwnd(), kTickTimer);
    }
    if (!closing_) {
        closing_ = true;
        model_.WindowClosing();
    }
}

void MainWindow::Show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    FocusControl(nullptr);
}

void MainWindow::BuildControls() {
    // Made in the layout's order, which is the keyboard's: Tab follows the order in which the controls
    // were made.
    for (const model::ControlDescription& control : model::MainWindowControls()) {
        const HWND parent = control.Parent == ControlId::kWindow ? hwnd() : Control(control.Parent);
        made_.push_back({&control, MakeControl(control, parent)});
    }
}

HWND MainWindow::MakeControl(const model::ControlDescription& control, HWND parent) {
    const RECT design = ToRect(control.Place);
    switch (control.Kind) {
        case model::ControlKind::kLabel:
            return controls_.AddLabel(parent, control.Id, design, control.Alignment, control.Wrapped,
                                      control.Text);
        case model::ControlKind::kButton:
            return controls_.AddButton(parent, control.Id, design, control.Text);
        case model::ControlKind::kList:
            return controls_.AddList(parent, control.Id, design, control.Items, control.VisibleRows);
        case model::ControlKind::kPanel:
            return controls_.AddPanel(parent, control.Id, design);
        case model::ControlKind::kGauge:
            return controls_.AddGauge(parent, control.Id, design);
        case model::ControlKind::kPicture:
            break;
    }
    // The banner: a picture the size of its bitmap, centred in the place the layout gives it.
    const model::ControlPlace& place = control.Place;
    return controls_.AddPicture(
        parent, control.Id,
        DesignRect(place.Left + (place.Width - kBannerWidth) / 2,
                   place.Top + (place.Height - kBannerHeight) / 2, kBannerWidth, kBannerHeight));
}

HWND MainWindow::Control(ControlId id) const {
    const auto found = std::find_if(made_.begin(), made_.end(),
                                    [id](const MadeControl& made) { return made.description->Id == id; });
    return found != made_.end() ? found->window : nullptr;
}

void MainWindow::UseScale(UINT dpi) {
    const DpiScale scale(dpi);
    // The new fonts go to every control before the old ones are given back.
    std::optional<WindowFonts> old = std::move(fonts_);
    fonts_.emplace(scale);
    controls_.SetFont(fonts_->Base());
    SendMessageW(Control(ControlId::kTitleLine), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->Title()), TRUE);
    controls_.Place(scale);
    OwnedBitmap banner = PaintBanner(scale);
    SendMessageW(Control(ControlId::kBannerImage), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(banner.get()));
    banner_ = std::move(banner);
    // The window's client area is the design's 800 x 600 (as the model places it), scaled.
    const model::ControlPlace& place = model::kWindowPlace;
    RECT frame = scale(DesignRect(0, 0, place.Width, place.Height));
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, dpi);
    SetWindowPos(hwnd(), nullptr, place.Left, place.Top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Every label is measured again in the new fonts.
    drawn_.Forget();
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing may be thrown through the system's frames: a fault the model did not catch is said, and the
    // window goes on.
    try {
        return self->Handle(message, wParam, lParam);
    } catch (const std::exception& error) {
        self->services_.showMessage(window, error.what(), true);
    }
    return 0;
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case PostedWork::kMessage:
            posted_.Run(lParam);
            return 0;
        case WM_TIMER:
            if (wParam == kTickTimer) {
                Tick();
                return 0;
            }
            break;
        case WM_COMMAND:
            if (lParam != 0) {
                Command(static_cast<ControlId>(LOWORD(wParam)), HIWORD(wParam),
                        reinterpret_cast<HWND>(lParam));
                return 0;
            }
            break;
        case WM_DEVICECHANGE:
            // Sent to every top-level window: a port arrived or went, or some device did.
            if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE ||
                wParam == DBT_DEVNODES_CHANGED) {
                Forward([this] { model_.AdaptersChanged(); });
            }
            return TRUE;
        case WM_CTLCOLORSTATIC:
            return LabelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CLOSE:
            CloseWindow();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam != 0) {
                CloseWindow();  // Windows is ending: the capture file must reach the disk now
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                lastFocus_ = IsChild(hwnd(), focus) ? focus : nullptr;
            } else {
                FocusControl(lastFocus_);
            }
            return 0;
        case WM_DPICHANGED: {
            UseScale(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            Render();
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd(), message, wParam, lParam);
}

void MainWindow::Command(ControlId id, WORD code, HWND control) {
    if (code == CBN_DROPDOWN && id == ControlId::kPortList) {
        Forward([this] { model_.PortListOpened(); });
        return;
    }
    if (code == CBN_SELCHANGE) {
        const auto index = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        Forward([&] { model_.Pick(id, index); });
    } else if (code == BN_CLICKED) {
        Forward([&] { model_.Press(id); });
    }
}

void MainWindow::Tick() {
    Forward([this] { model_.Tick(); });
}

void MainWindow::Render() {
    const Screen& s = model_.screen();
    for (MadeControl& control : made_) {
        if (drawn_.Changed(*control.description, s)) {
            Draw(control, s);
        }
    }
    RunTimer(s.Timer);
    drawn_.Drew(s);
    // A control that has just been hidden cannot keep the keyboard.
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd(), focus) && !IsWindowVisible(focus)) {
        FocusControl(nullptr);
    }
    TakeRequests();
}

void MainWindow::Draw(MadeControl& control, const Screen& s) {
    const model::ScreenField& field = control.description->Field;
    switch (control.description->Kind) {
        case model::ControlKind::kLabel:
            ShowLabel(control, s.*std::get<model::LabelField>(field));
            break;
        case model::ControlKind::kButton: {
            const model::ButtonState& button = s.*std::get<model::ButtonField>(field);
            SetText(control.window, button.Caption);
            SetVisible(control.window, button.Visible);
            break;
        }
        case model::ControlKind::kList: {
            // The operator's picks reach the screen state at once, so the list is set as it says.
            const model::ListState& list = s.*std::get<model::ListField>(field);
            if (SendMessageW(control.window, CB_GETCURSEL, 0, 0) != list.ItemIndex) {
                SendMessageW(control.window, CB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex), 0);
            }
            break;
        }
        case model::ControlKind::kPanel: {
            const model::PanelState& panel = s.*std::get<model::PanelField>(field);
            SetVisible(control.window, panel.Visible);
            SetText(control.window, panel.Caption);
            break;
        }
        case model::ControlKind::kGauge: {
            const model::GaugeState& gauge = s.*std::get<model::GaugeField>(field);
            SetVisible(control.window, gauge.Visible);
            SendMessageW(control.window, PBM_SETRANGE32, 0, std::max(gauge.MaxValue, 1));
            SendMessageW(control.window, PBM_SETPOS, static_cast<WPARAM>(gauge.Progress), 0);
            break;
        }
        case model::ControlKind::kPicture:
            break;
    }
}

void MainWindow::ShowLabel(MadeControl& label, const model::LabelState& state) {
    const model::ControlDescription& control = *label.description;
    const std::wstring text = platform::Utf16FromUtf8(state.Caption);
    SetWindowTextW(label.window, text.c_str());
    SetVisible(label.window, state.Visible);
    label.colour = ToColour(state.Color);
    const auto fontAt = [&](double points) {
        if (points > 0) {
            return fonts_->Points(points);
        }
        return control.Font == model::ControlFont::kTitle ? fonts_->Title() : fonts_->Base();
    };
    HFONT font = fontAt(state.FontPointSize);
    if (control.Wrapped) {
        const DpiScale& scale = controls_.scale();
        const RECT place = scale(ToRect(control.Place));
        const int width = place.right - place.left;
        const model::WrappedTextFit fit =
            model::FitWrappedText(place.bottom - place.top, scale(control.GrowTo), state.FontPointSize,
                                  [&](double points) { return WrappedHeight(fontAt(points), text, width); });
        MoveWindow(label.window, place.left, place.top, width, fit.Height, TRUE);
        font = fontAt(fit.PointSize);
    }
    SendMessageW(label.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    InvalidateRect(label.window, nullptr, TRUE);
}

void MainWindow::RunTimer(const model::TimerState& timer) {
    if (timer.Enabled && (!timerRunning_ || timerInterval_ != timer.IntervalMs)) {
        // Setting the timer again replaces it, at the new interval.
        SetTimer(hwnd(), kTickTimer, static_cast<UINT>(timer.IntervalMs), nullptr);
        timerRunning_ = true;
        timerInterval_ = timer.IntervalMs;
    } else if (!timer.Enabled && timerRunning_) {
        KillTimer(hwnd(), kTickTimer);
        timerRunning_ = false;
    }
}

void MainWindow::TakeRequests() {
    Screen& s = model_.screen();
    // Taken before they are acted on: a message box runs a message loop in which more may arrive.
    const std::vector<std::string> messages = std::exchange(s.Messages, {});
    const std::optional<int> helpTopic = std::exchange(s.ShowHelpTopic, std::nullopt);
    const bool closeWindow = std::exchange(s.CloseWindow, false);
    for (const std::string& message : messages) {
        services_.showMessage(hwnd(), message, false);
    }
    if (helpTopic) {
        services_.showHelp(hwnd(), *helpTopic);
    }
    if (closeWindow) {
        CloseWindow();
    }
}

void MainWindow::CloseWindow() {
    if (!closing_) {
        closing_ = true;
        KillTimer(hwnd(), kTickTimer);
        timerRunning_ = false;
        model_.WindowClosing();
    }
    ShowWindow(hwnd(), SW_HIDE);
    // The help goes with the window it belongs to.
    help_.reset();
    services_.closed();
}

void MainWindow::FocusControl(HWND wanted) {
    if (wanted == nullptr || !IsChild(hwnd(), wanted) || !IsWindowVisible(wanted)) {
        wanted = GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    }
    if (wanted != nullptr) {
        SetFocus(wanted);
    }
}

LRESULT MainWindow::LabelColours(HDC dc, HWND control) const {
    // A label of fixed text keeps the system's colour; one with a field has its state's.
    const auto label = std::find_if(made_.begin(), made_.end(), [control](const MadeControl& made) {
        return made.window == control && made.description->Kind == model::ControlKind::kLabel &&
               !std::holds_alternative<std::monostate>(made.description->Field);
    });
    SetTextColor(dc, label != made_.end() ? label->colour : GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace flash410::win32_window
