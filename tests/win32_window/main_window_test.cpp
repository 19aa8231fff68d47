// The Windows main window as the operator meets it, read back through the window API as another program
// would: the controls at the layout's places, a screen state drawn (captions in any language,
// visibility, colours, sizes, lists, the gauge and the timer), clicks, picks and keys reaching the model,
// and every way of closing.
#include "win32_window/main_window.h"

#include <commctrl.h>
#include <dbt.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/utf16_text_win32.h"
#include "support/temp_folder.h"
#include "win32_window/banner_painting.h"
#include "win32_window/help_window.h"
#include "win32_window/message_loop.h"
#include "window_model/window_layout.h"
#include "window_test_support.h"

namespace flash410::win32_window {
namespace {

using Id = ControlId;
using Screen = window_model::ScreenState;

HWND Find(HWND top, Id id) {
    std::pair<int, HWND> search{static_cast<int>(id), nullptr};
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<std::pair<int, HWND>*>(data);
            if (GetDlgCtrlID(child) != wanted->first) {
                return TRUE;
            }
            wanted->second = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::string Text(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return platform::Utf8FromUtf16(text);
}

std::string ListText(HWND list) {
    const auto index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return "";
    }
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return platform::Utf8FromUtf16(text.c_str());
}

// Left, top, width, height in the parent's client area, as the Linux window gives its rectangles.
std::vector<int> Place(HWND control) {
    RECT box;
    GetWindowRect(control, &box);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
    return {box.left, box.top, box.right - box.left, box.bottom - box.top};
}

// The colour a label's parent gives its text, as the label asks when it paints.
COLORREF TextColour(HWND label) {
    const HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

LOGFONTW Font(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

class Win32MainWindow : public ::testing::Test {
  protected:
    void SetUp() override { FLASH410_SKIP_WITHOUT_WINDOWS(WindowsCanBeMade()); }

    HWND Open() {
        WindowServices services{
            [this](HWND, const std::string& text, bool isError) { messages_.emplace_back(text, isError); },
            [](HWND, const std::string&) { return std::optional<std::string>(); },
            [this](HWND, int topic) { helpTopics_.push_back(topic); }, [this] { ++closed_; },
            [this] {
                // The made-up system's one adapter, behind every port the list offers.
                std::vector<serial::PortDescription> ports;
                for (int port = 1; adapterThere_ && port <= 19; ++port) {
                    ports.push_back(
                        {port,
                         "\\\\.\\COM" + std::to_string(port),
                         serial::PortKind::kUsbAdapter,
                         serial::UsbIdentity{"0403", "6001", "FTDI", "FT232R USB UART", "", "FTDIBUS", 16},
                         {},
                         {}});
                }
                return ports;
            }};
        window_ =
            std::make_unique<MainWindow>(platform::BesideProgram(folder_.folder()), home_.folder(), services);
        window_->Show(SW_SHOWNOACTIVATE);
        return window_->hwnd();
    }
    HWND Control(Id id) const { return Find(window_->hwnd(), id); }
    std::string Text(Id id) const { return win32_window::Text(Control(id)); }
    bool Visible(Id id) const { return IsWindowVisible(Control(id)) != 0; }
    void Click(Id id) const { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void Tick() const { SendMessageW(window_->hwnd(), WM_TIMER, MainWindow::kTickTimer, 0); }
    // Whether the tick timer was running (it is stopped by asking).
    bool TimerWasRunning() const { return KillTimer(window_->hwnd(), MainWindow::kTickTimer) != 0; }

    test_support::TempFolder folder_{"win32-window"};
    test_support::TempFolder home_{"home"};
    std::vector<std::pair<std::string, bool>> messages_;
    std::vector<int> helpTopics_;
    int closed_ = 0;
    bool adapterThere_ = true;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(Win32MainWindow, MakesEveryControlOfTheLayoutInItsParentAtItsPlace) {
    const HWND top = Open();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(win32_window::Text(top), window_model::kWindowTitle);
    RECT client;
    GetClientRect(top, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);

    for (const window_model::ControlDescription& control : window_model::MainWindowControls()) {
        SCOPED_TRACE(static_cast<int>(control.Id));
        const HWND made = Control(control.Id);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(GetParent(made), control.Parent == Id::kWindow ? top : Control(control.Parent));
        const window_model::ControlPlace& place = control.Place;
        if (control.Kind == window_model::ControlKind::kPicture) {
            // The banner's bitmap, centred in its place.
            EXPECT_EQ(Place(made), (std::vector<int>{place.Left + (place.Width - kBannerWidth) / 2,
                                                     place.Top + (place.Height - kBannerHeight) / 2,
                                                     kBannerWidth, kBannerHeight}));
        } else {
            EXPECT_EQ(Place(made), (std::vector<int>{place.Left, place.Top, place.Width, place.Height}));
        }
    }
    EXPECT_NE(SendMessageW(Control(Id::kBannerImage), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    // Arial of 13 pixels everywhere; the title bold and italic, 32 pixels.
    EXPECT_EQ(Font(Control(Id::kHelpButton)).lfHeight, -13);
    EXPECT_EQ(std::wstring(Font(Control(Id::kHelpButton)).lfFaceName), L"Arial");
    const LOGFONTW title = Font(Control(Id::kTitleLine));
    EXPECT_EQ(title.lfHeight, -32);
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_TRUE(title.lfItalic);
}

TEST_F(Win32MainWindow, StartsOnTheOpeningPanelWithTheRememberedPortAndItsTimerRunning) {
    folder_.Write("commsUP.txt", "12,19200\r\n");
    Open();
    EXPECT_EQ(SendMessageW(Control(Id::kPortList), CB_GETCOUNT, 0, 0), 19);
    EXPECT_EQ(ListText(Control(Id::kPortList)), "12");
    EXPECT_EQ(ListText(Control(Id::kBaudList)), "38400");  // the baud rate starts at the upload's own
    EXPECT_EQ(ListText(Control(Id::kUploadTypeList)), "BULK");
    EXPECT_TRUE(Visible(Id::kOpeningPanel));
    EXPECT_FALSE(Visible(Id::kMainPanel));
    EXPECT_FALSE(Visible(Id::kBackToStartButton));
    EXPECT_FALSE(Visible(Id::kChooseFileButton));  // inside the hidden main panel
    EXPECT_EQ(Text(Id::kTitleLine), "ZRM-410 Flash Upload");
    EXPECT_EQ(Text(Id::kCaptureStatusLine), "Disabled");
    EXPECT_EQ(Text(Id::kStartButton), "&Start Upload");
    EXPECT_EQ(Text(Id::kPortDeviceLine), "COM12: FT232R USB UART");
    EXPECT_EQ(TextColour(Control(Id::kPortPrompt)), RGB(0, 0, 255));
    EXPECT_EQ(TextColour(Control(Id::kSubtitleLine)), RGB(0, 0, 0));
    EXPECT_EQ(Font(Control(Id::kSubtitleLine)).lfHeight, -17);  // 13 points
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(TimerWasRunning());
}

TEST_F(Win32MainWindow, DrawsTheScreenStateItIsGiven) {
    Open();
    Screen& s = window_->model().screen();
    s.OpeningPanel.Visible = false;
    s.MainPanel = {"Main Software Upload", true};
    s.RunPanel.Visible = true;
    s.ProgressLine = {"Sending block 43 of 255...", true, window_model::TextColor::kRed, 14};
    s.ResultLine = {"Café 日本 Ελληνικά.VXF", true, window_model::TextColor::kBlue, 0};
    s.WarningLine.Visible = false;
    s.FileStatusLine = {std::string(3, ' ') +
                            "A reason long enough to need three lines of the status line: " +
                            "Intel HEX line 12: the record's checksum is 0x3F where its bytes need 0x41. "
                            "Choose another file.",
                        true, window_model::TextColor::kRed, 0};
    s.Gauge = {43, 255, true};
    s.UploadButton.Visible = false;
    s.RepeatUploadButton.Visible = true;
    s.BaudList.ItemIndex = 0;
    s.Timer.Enabled = false;
    Click(Id::kHelpButton);  // any handler draws the state after it

    EXPECT_FALSE(Visible(Id::kOpeningPanel));
    EXPECT_FALSE(Visible(Id::kPortList));
    EXPECT_TRUE(Visible(Id::kMainPanel));
    EXPECT_EQ(Text(Id::kMainPanel), "Main Software Upload");
    EXPECT_EQ(Text(Id::kProgressLine), "Sending block 43 of 255...");
    EXPECT_EQ(TextColour(Control(Id::kProgressLine)), RGB(255, 0, 0));
    EXPECT_EQ(Font(Control(Id::kProgressLine)).lfHeight, -19);  // 14 points
    EXPECT_EQ(Text(Id::kResultLine), "Café 日本 Ελληνικά.VXF");
    EXPECT_EQ(TextColour(Control(Id::kResultLine)), RGB(0, 0, 255));
    EXPECT_FALSE(Visible(Id::kWarningLine));
    // The long reason takes the room down to the Choose File button, and no more.
    const int statusHeight = Place(Control(Id::kFileStatusLine))[3];
    EXPECT_GT(statusHeight, 16);
    EXPECT_LE(statusHeight, 76);
    EXPECT_TRUE(Visible(Id::kGauge));
    EXPECT_EQ(SendMessageW(Control(Id::kGauge), PBM_GETPOS, 0, 0), 43);
    EXPECT_EQ(SendMessageW(Control(Id::kGauge), PBM_GETRANGE, FALSE, 0), 255);
    EXPECT_FALSE(Visible(Id::kUploadButton));
    EXPECT_TRUE(Visible(Id::kRepeatUploadButton));
    EXPECT_EQ(ListText(Control(Id::kBaudList)), "19200");
    EXPECT_FALSE(TimerWasRunning());
    EXPECT_EQ(helpTopics_, std::vector<int>{1});
}

TEST_F(Win32MainWindow, PicksAndClicksReachTheModel) {
    const HWND top = Open();
    const HWND ports = Control(Id::kPortList);
    SendMessageW(ports, CB_SETCURSEL, 4, 0);
    SendMessageW(GetParent(ports), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ports), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ports));
    EXPECT_EQ(window_->model().screen().PortList.Text(), "5");
    EXPECT_EQ(Text(Id::kPortDeviceLine), "COM5: FT232R USB UART");
    // The adapter goes: the system's notice, or the list opening, shows it gone.
    adapterThere_ = false;
    EXPECT_EQ(SendMessageW(top, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0), TRUE);
    EXPECT_EQ(Text(Id::kPortDeviceLine), "COM5: no device");
    adapterThere_ = true;
    SendMessageW(GetParent(ports), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ports), CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(ports));
    EXPECT_EQ(Text(Id::kPortDeviceLine), "COM5: FT232R USB UART");

    Click(Id::kCaptureFileButton);
    EXPECT_EQ(Text(Id::kCaptureFileButton), "&Disable Capture File");
    EXPECT_EQ(Text(Id::kCaptureStatusLine), "Enabled");
    Tick();
    Click(Id::kCaptureFileButton);
    EXPECT_EQ(Text(Id::kCaptureStatusLine), "Disabled");
    EXPECT_NE(folder_.Read("Capture.txt").find("[pn]0\r\n"), std::string::npos);

    window_->model().screen().Messages = {"first", "second"};
    Click(Id::kHelpButton);
    EXPECT_EQ(messages_, (std::vector<std::pair<std::string, bool>>{{"first", false}, {"second", false}}));
    Click(Id::kHelpButton);
    EXPECT_EQ(messages_.size(), 2U);  // each shown once
}

TEST_F(Win32MainWindow, TheKeyboardAloneWorksTheWindow) {
    const HWND top = Open();
    // Tab goes through the visible controls in the Linux window's order, and round again.
    std::vector<Id> order;
    HWND at = GetNextDlgTabItem(top, nullptr, FALSE);
    for (int i = 0; i < 8 && at != nullptr; ++i) {
        order.push_back(static_cast<Id>(GetDlgCtrlID(at)));
        at = GetNextDlgTabItem(top, at, FALSE);
    }
    EXPECT_EQ(order, (std::vector<Id>{Id::kCaptureFileButton, Id::kHelpButton, Id::kCloseButton,
                                      Id::kPortList, Id::kBaudList, Id::kUploadTypeList, Id::kStartButton,
                                      Id::kCaptureFileButton}));

    // Enter presses the focused button.
    SetFocus(Control(Id::kCaptureFileButton));
    MSG enter{Control(Id::kCaptureFileButton), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(TakeDialogKey(top, enter));
    EXPECT_EQ(Text(Id::kCaptureStatusLine), "Enabled");

    // Alt and a caption's letter press its button; a button on a hidden panel is out of reach.
    MSG altH{Control(Id::kCaptureFileButton), WM_SYSCHAR, 'h', 1 << 29, 0, {}};
    EXPECT_TRUE(TakeDialogKey(top, altH));
    EXPECT_EQ(helpTopics_, std::vector<int>{1});
    MSG altU{Control(Id::kCaptureFileButton), WM_SYSCHAR, 'u', 1 << 29, 0, {}};
    TakeDialogKey(top, altU);
    EXPECT_EQ(Text(Id::kProgressLine), "");
}

TEST_F(Win32MainWindow, EveryWayOfClosingWritesOutTheCaptureFileAndEndsTheProgram) {
    const std::pair<const char*, std::function<void(HWND)>> routes[] = {
        {"Close button", [](HWND top) { SendMessageW(Find(top, Id::kCloseButton), BM_CLICK, 0, 0); }},
        {"title bar or Alt+F4", [](HWND top) { SendMessageW(top, WM_CLOSE, 0, 0); }},
        {"Windows ending", [](HWND top) { SendMessageW(top, WM_ENDSESSION, TRUE, 0); }}};
    for (const auto& [route, close] : routes) {
        folder_.Write("Capture.txt", "");
        closed_ = 0;
        const HWND top = Open();
        Click(Id::kCaptureFileButton);
        Tick();
        close(top);
        EXPECT_EQ(closed_, 1) << route;
        EXPECT_FALSE(IsWindowVisible(top)) << route;
        EXPECT_NE(folder_.Read("Capture.txt").find("[pn]0\r\n"), std::string::npos) << route;
        window_.reset();
    }
}

TEST_F(Win32MainWindow, HelpOpensItsOwnWindowAtTheScreensTopicWhichGoesWithTheWindow) {
    folder_.Write("VNLflash.HLP", "[topic 1] Starting\nPick the port.\n");
    WindowServices services;
    services.closed = [this] { ++closed_; };
    window_ =
        std::make_unique<MainWindow>(platform::BesideProgram(folder_.folder()), home_.folder(), services);
    const HWND top = window_->hwnd();
    Click(Id::kHelpButton);
    const std::wstring helpTitle = platform::Utf16FromUtf8(window_model::kHelpWindowTitle);
    const HWND help = FindWindowW(nullptr, helpTitle.c_str());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(GetWindow(help, GW_OWNER), top);
    EXPECT_TRUE(IsWindowVisible(help));
    EXPECT_EQ(win32_window::Text(GetDlgItem(help, static_cast<int>(HelpControl::kTopicTitle))), "Starting");
    // The same window again at the next Help, and gone when the main window closes.
    Click(Id::kHelpButton);
    EXPECT_EQ(FindWindowW(nullptr, helpTitle.c_str()), help);
    Click(Id::kCloseButton);
    EXPECT_EQ(closed_, 1);
    EXPECT_FALSE(IsWindow(help));
}

TEST_F(Win32MainWindow, FollowsTheMonitorsDpi) {
    const HWND top = Open();
    // 108 DPI, 1.125 times the design: small enough for the window to fit any test display. The system
    // suggests the window's place and size on the new monitor; the window takes them.
    constexpr UINT kDpi = 108;
    RECT suggested{0, 0, 900, 675};
    AdjustWindowRectExForDpi(&suggested, static_cast<DWORD>(GetWindowLongW(top, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(top, GWL_EXSTYLE)), kDpi);
    SendMessageW(top, WM_DPICHANGED, MAKEWPARAM(kDpi, kDpi), reinterpret_cast<LPARAM>(&suggested));
    RECT frame;
    GetWindowRect(top, &frame);
    EXPECT_EQ(frame.right - frame.left, suggested.right - suggested.left);
    EXPECT_EQ(frame.bottom - frame.top, suggested.bottom - suggested.top);
    // Edges scale, so that neighbours stay neighbours: 83 and 83 + 153 become 93 and 266.
    EXPECT_EQ(Place(Control(Id::kCaptureFileButton)), (std::vector<int>{93, 542, 173, 37}));
    EXPECT_EQ(Place(Control(Id::kStartButton)), (std::vector<int>{162, 99, 208, 37}));
    EXPECT_EQ(Font(Control(Id::kHelpButton)).lfHeight, -15);
    EXPECT_EQ(Font(Control(Id::kTitleLine)).lfHeight, -36);
    BITMAP banner{};
    GetObjectW(
        reinterpret_cast<HBITMAP>(SendMessageW(Control(Id::kBannerImage), STM_GETIMAGE, IMAGE_BITMAP, 0)),
        sizeof(banner), &banner);
    EXPECT_EQ(banner.bmWidth, 336);
    EXPECT_EQ(banner.bmHeight, 77);
}

}  // namespace
}  // namespace flash410::win32_window
