#include "win32_window/main_window.h"

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <exception>
#include <utility>

#include "flash410_version.h"
#include "platform/time_of_day.h"
#include "platform/utf16_text_win32.h"
#include "platform/utf8_path.h"
#include "win32_window/banner_painting.h"
#include "win32_window/file_chooser.h"
#include "win32_window/resource_ids.h"

namespace flash410::win32_window {

namespace {

namespace model = window_model;
using Screen = model::ScreenState;

constexpr wchar_t kWindowClass[] = L"Flash410MainWindow";
constexpr wchar_t kWindowTitle[] =
    L"FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems";
constexpr wchar_t kMessageTitle[] = L"Varnel Flash Device Upload";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
// A wrapped label that cannot fit its text is set smaller, half a point at a time, down to this.
constexpr double kSmallestPointSize = 7.0;
// The window font is Arial of 13 pixels: 9.75 points at the design's 96 DPI.
constexpr double kWindowFontPoints = 9.75;

COLORREF ToColour(model::TextColor colour) {
    switch (colour) {
        case model::TextColor::kBlue:
            return RGB(0, 0, 255);
        case model::TextColor::kRed:
            return RGB(255, 0, 0);
        case model::TextColor::kBlack:
            break;
    }
    return RGB(0, 0, 0);
}

void ShowMessageBox(HWND owner, const std::string& text, bool isError) {
    MessageBoxW(owner, platform::Utf16FromUtf8(text).c_str(), kMessageTitle,
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
    return CreateWindowExW(kWindowExStyle, kWindowClass, kWindowTitle, kWindowStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
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

}  // namespace

MainWindow::MainWindow(flash410::FileLocations files, std::string homeFolder, WindowServices services)
    : services_(std::move(services)),
      helpFile_(files.helpFile),
      instance_(GetModuleHandleW(nullptr)),
      window_(CreateTopLevelWindow(instance_, &MainWindow::Procedure)),
      posted_(window_.get()),
      controls_(instance_),
      core_(model::WindowModelEnvironment{
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
    core_.Activate();
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
        core_.WindowClosing();
    }
}

void MainWindow::Show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    FocusControl(nullptr);
}

HWND MainWindow::AddLabel(HWND parent, ControlId id, const RECT& design, LabelAlignment alignment,
                          bool wrapped, model::LabelState Screen::*field) {
    const HWND label = controls_.AddLabel(parent, id, design, alignment, wrapped);
    labels_.push_back({label, field, design, wrapped, 0, RGB(0, 0, 0)});
    return label;
}

void MainWindow::BuildControls() {
    const HWND top = hwnd();
    const Screen& s = core_.screen();
    // Made in the Linux window's tab order: Tab follows the order in which the controls were made.
    // The banner is centred in the Linux window's 361 x 77 picture at (216, 1).
    bannerImage_ =
        controls_.AddPicture(top, ControlId::kBannerImage,
                             DesignRect(216 + (361 - kBannerWidth) / 2, 1 + (77 - kBannerHeight) / 2,
                                        kBannerWidth, kBannerHeight));
    titleLine_ = controls_.AddLabel(top, ControlId::kTitleLine, DesignRect(168, 82, 457, 34),
                                    LabelAlignment::kCentre, false);
    buttons_ = {
        {controls_.AddButton(top, ControlId::kRepeatUploadButton, DesignRect(616, 4, 121, 33),
                             s.RepeatUploadButton.Caption),
         &Screen::RepeatUploadButton},
        {controls_.AddButton(top, ControlId::kBackToStartButton, DesignRect(616, 42, 137, 33),
                             s.BackToStartButton.Caption),
         &Screen::BackToStartButton},
        {controls_.AddButton(top, ControlId::kCaptureFileButton, DesignRect(83, 482, 153, 33),
                             s.CaptureFileButton.Caption),
         &Screen::CaptureFileButton},
    };
    AddLabel(top, ControlId::kCaptureStatusLine, DesignRect(243, 491, 212, 17), LabelAlignment::kLeft, false,
             &Screen::CaptureStatusLine);
    controls_.AddButton(top, ControlId::kHelpButton, DesignRect(528, 482, 89, 33), "&Help");
    controls_.AddButton(top, ControlId::kCloseButton, DesignRect(622, 482, 89, 33), "&Close");
    const HWND footer = controls_.AddPanel(top, ControlId::kFooterBox, DesignRect(83, 518, 628, 53));
    controls_.AddLabel(footer, ControlId::kFooterLine, DesignRect(4, 10, 620, 17), LabelAlignment::kCentre,
                       false,
                       "Varnel ZRM-410 satellite modem: firmware upload over the remote-control serial port");
    controls_.AddLabel(footer, ControlId::kVersionLine, DesignRect(4, 28, 620, 17), LabelAlignment::kCentre,
                       false, std::string("Varnel Flash Device Upload     Version ") + kVersion);

    openingPanel_ = controls_.AddPanel(top, ControlId::kOpeningPanel, DesignRect(89, 122, 577, 343));
    AddLabel(openingPanel_, ControlId::kSubtitleLine, DesignRect(80, 24, 417, 41), LabelAlignment::kCentre,
             true, &Screen::SubtitleLine);
    AddLabel(openingPanel_, ControlId::kAttachInstructionLine, DesignRect(58, 88, 461, 33),
             LabelAlignment::kCentre, true, &Screen::AttachInstructionLine);
    AddLabel(openingPanel_, ControlId::kPortPrompt, DesignRect(158, 141, 119, 18), LabelAlignment::kRight,
             false, &Screen::PortPrompt);
    portList_ = controls_.AddList(openingPanel_, ControlId::kPortList, DesignRect(288, 137, 49, 24),
                                  s.PortList.Items, 12);
    // In the free row between the port list and the line settings, across the panel.
    AddLabel(openingPanel_, ControlId::kPortDeviceLine, DesignRect(20, 171, 537, 17), LabelAlignment::kCentre,
             false, &Screen::PortDeviceLine);
    const HWND lineSettings =
        controls_.AddPanel(openingPanel_, ControlId::kLineSettingsBox, DesignRect(64, 208, 449, 129));
    controls_.AddLabel(lineSettings, ControlId::kBaudLabel, DesignRect(32, 17, 41, 16),
                       LabelAlignment::kRight, false, "Baud:");
    baudList_ = controls_.AddList(lineSettings, ControlId::kBaudList, DesignRect(75, 14, 73, 24),
                                  s.BaudList.Items, static_cast<int>(s.BaudList.Items.size()));
    AddLabel(lineSettings, ControlId::kBaudInstructionLine, DesignRect(8, 47, 177, 33),
             LabelAlignment::kCentre, true, &Screen::BaudInstructionLine);
    AddLabel(lineSettings, ControlId::kUploadTypePrompt, DesignRect(256, 47, 177, 34),
             LabelAlignment::kCentre, true, &Screen::UploadTypePrompt);
    uploadTypeList_ =
        controls_.AddList(lineSettings, ControlId::kUploadTypeList, DesignRect(322, 14, 81, 24),
                          s.UploadTypeList.Items, static_cast<int>(s.UploadTypeList.Items.size()));
    buttons_.emplace_back(controls_.AddButton(lineSettings, ControlId::kStartButton,
                                              DesignRect(144, 88, 185, 33), s.StartButton.Caption),
                          &Screen::StartButton);

    mainPanel_ = controls_.AddPanel(top, ControlId::kMainPanel, DesignRect(151, 122, 453, 321));
    AddLabel(mainPanel_, ControlId::kPortStatusLine, DesignRect(36, 24, 365, 16), LabelAlignment::kCentre,
             false, &Screen::PortStatusLine);
    // The second status line also carries why a file could not be prepared: it may take the room down to
    // the Choose File button.
    AddLabel(mainPanel_, ControlId::kFileStatusLine, DesignRect(3, 48, 447, 16), LabelAlignment::kCentre,
             true, &Screen::FileStatusLine);
    labels_.back().growTo = 76;
    buttons_.emplace_back(controls_.AddButton(mainPanel_, ControlId::kChooseFileButton,
                                              DesignRect(144, 128, 153, 33), s.ChooseFileButton.Caption),
                          &Screen::ChooseFileButton);
    runPanel_ = controls_.AddPanel(mainPanel_, ControlId::kRunPanel, DesignRect(7, 68, 439, 225));
    AddLabel(runPanel_, ControlId::kRunInstructionLine, DesignRect(11, 16, 417, 37), LabelAlignment::kCentre,
             true, &Screen::RunInstructionLine);
    AddLabel(runPanel_, ControlId::kResultLine, DesignRect(8, 65, 425, 24), LabelAlignment::kCentre, false,
             &Screen::ResultLine);
    AddLabel(runPanel_, ControlId::kProgressLine, DesignRect(12, 105, 417, 32), LabelAlignment::kCentre, true,
             &Screen::ProgressLine);
    gauge_ = controls_.AddGauge(runPanel_, ControlId::kGauge, DesignRect(104, 140, 233, 33));
    buttons_.emplace_back(controls_.AddButton(runPanel_, ControlId::kUploadButton,
                                              DesignRect(156, 132, 129, 33), s.UploadButton.Caption),
                          &Screen::UploadButton);
    AddLabel(runPanel_, ControlId::kWarningLine, DesignRect(8, 185, 425, 37), LabelAlignment::kCentre, false,
             &Screen::WarningLine);
}

void MainWindow::UseScale(UINT dpi) {
    const DpiScale scale(dpi);
    // The new fonts go to every control before the old ones are given back.
    std::optional<WindowFonts> old = std::move(fonts_);
    fonts_.emplace(scale);
    controls_.SetFont(fonts_->Base());
    SendMessageW(titleLine_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->Title()), TRUE);
    controls_.Place(scale);
    OwnedBitmap banner = PaintBanner(scale);
    SendMessageW(bannerImage_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner.get()));
    banner_ = std::move(banner);
    // The window's client area is the design's 800 x 600 (as the model places it), scaled.
    const model::WindowPlacement& place = core_.screen().Window;
    RECT frame = scale(DesignRect(0, 0, place.Width, place.Height));
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, dpi);
    SetWindowPos(hwnd(), nullptr, place.Left, place.Top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Every label is measured again in the new fonts.
    shown_.reset();
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
                Forward([this] { core_.AdaptersChanged(); });
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
        Forward([this] { core_.PortListOpened(); });
        return;
    }
    if (code == CBN_SELCHANGE) {
        // The lists' selections belong to the screen state; the operator's picks go there at once.
        const auto index = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        Screen& s = core_.screen();
        if (id == ControlId::kPortList) {
            Forward([this, index] { core_.ChoosePort(index); });
        } else if (id == ControlId::kBaudList) {
            s.BaudList.ItemIndex = index;
        } else if (id == ControlId::kUploadTypeList) {
            s.UploadTypeList.ItemIndex = index;
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    switch (id) {
        case ControlId::kStartButton:
            Forward([this] { core_.OpenPort(); });
            break;
        case ControlId::kBackToStartButton:
            Forward([this] { core_.GoBackToStart(); });
            break;
        case ControlId::kCaptureFileButton:
            Forward([this] { core_.ToggleCapture(); });
            break;
        case ControlId::kHelpButton:
            Forward([this] { core_.ShowHelp(); });
            break;
        case ControlId::kCloseButton:
            Forward([this] { core_.Close(); });
            break;
        case ControlId::kChooseFileButton:
            Forward([this] { core_.ChooseFile(); });
            break;
        case ControlId::kUploadButton:
            Forward([this] { core_.StartUpload(); });
            break;
        case ControlId::kRepeatUploadButton:
            Forward([this] { core_.RepeatUpload(); });
            break;
        default:
            break;
    }
}

void MainWindow::Tick() {
    Forward([this] { core_.Tick(); });
}

void MainWindow::Render() {
    const Screen& s = core_.screen();
    // Only what changed since the last drawing reaches the controls: the 50 ms tick draws twenty times a
    // second, and measuring unchanged labels again would cost for nothing.
    const bool all = !shown_.has_value();
    const auto changed = [&](auto Screen::*field) { return all || s.*field != (*shown_).*field; };
    for (LabelView& label : labels_) {
        if (changed(label.field)) {
            ShowLabel(label, s.*label.field);
        }
    }
    if (changed(&Screen::TitleLine)) {
        SetText(titleLine_, s.TitleLine.Caption);
    }
    for (const auto& [button, field] : buttons_) {
        if (changed(field)) {
            SetText(button, (s.*field).Caption);
            SetVisible(button, (s.*field).Visible);
        }
    }
    if (changed(&Screen::OpeningPanel)) {
        SetVisible(openingPanel_, s.OpeningPanel.Visible);
    }
    if (changed(&Screen::MainPanel)) {
        SetVisible(mainPanel_, s.MainPanel.Visible);
        SetText(mainPanel_, s.MainPanel.Caption);
    }
    if (changed(&Screen::RunPanel)) {
        SetVisible(runPanel_, s.RunPanel.Visible);
    }
    if (changed(&Screen::Gauge)) {
        SetVisible(gauge_, s.Gauge.Visible);
        SendMessageW(gauge_, PBM_SETRANGE32, 0, std::max(s.Gauge.MaxValue, 1));
        SendMessageW(gauge_, PBM_SETPOS, static_cast<WPARAM>(s.Gauge.Progress), 0);
    }
    // The operator's picks reach the screen state at once, so the lists are always set as it says.
    for (const auto& [list, state] : {std::pair{portList_, &s.PortList}, std::pair{baudList_, &s.BaudList},
                                      std::pair{uploadTypeList_, &s.UploadTypeList}}) {
        if (SendMessageW(list, CB_GETCURSEL, 0, 0) != state->ItemIndex) {
            SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(state->ItemIndex), 0);
        }
    }
    RunTimer(s.Timer);
    shown_ = s;
    // A control that has just been hidden cannot keep the keyboard.
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd(), focus) && !IsWindowVisible(focus)) {
        FocusControl(nullptr);
    }
    TakeRequests();
}

void MainWindow::ShowLabel(LabelView& label, const model::LabelState& state) {
    const std::wstring text = platform::Utf16FromUtf8(state.Caption);
    SetWindowTextW(label.window, text.c_str());
    SetVisible(label.window, state.Visible);
    label.colour = ToColour(state.Color);
    double points = state.FontPointSize > 0 ? state.FontPointSize : kWindowFontPoints;
    HFONT font = state.FontPointSize > 0 ? fonts_->Points(points) : fonts_->Base();
    if (label.wrapped) {
        // A wrapped text takes the lines it needs, as far as the label may grow; if that is not enough,
        // a text in a size of its own is set a little smaller.
        const DpiScale& scale = controls_.scale();
        const RECT place = scale(label.design);
        const int width = place.right - place.left;
        const int designHeight = place.bottom - place.top;
        const int room = std::max(designHeight, scale(label.growTo));
        MoveWindow(label.window, place.left, place.top, width,
                   std::clamp(WrappedHeight(font, text, width), designHeight, room), TRUE);
        while (state.FontPointSize > 0 && WrappedHeight(font, text, width) > room &&
               points > kSmallestPointSize) {
            points -= 0.5;
            font = fonts_->Points(points);
        }
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
    Screen& s = core_.screen();
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
        core_.WindowClosing();
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
    const auto label = std::find_if(labels_.begin(), labels_.end(),
                                    [control](const LabelView& view) { return view.window == control; });
    SetTextColor(dc, label != labels_.end() ? label->colour : GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace flash410::win32_window
