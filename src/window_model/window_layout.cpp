#include "window_model/window_layout.h"

#include <algorithm>
#include <stdexcept>

#include "flash410_version.h"

namespace flash410::window_model {

namespace {

using Id = ControlId;
using Kind = ControlKind;
using Screen = ScreenState;
constexpr TextAlignment kCentre = TextAlignment::kCentre;
constexpr TextAlignment kRight = TextAlignment::kRight;
constexpr TextColor kBlue = TextColor::kBlue;

std::vector<std::string> PortNumbers() {
    std::vector<std::string> ports;
    for (int port = 1; port <= 19; ++port) {
        ports.push_back(std::to_string(port));
    }
    return ports;
}

std::vector<ControlDescription> DescribeControls() {
    // clang-format off
    return {
        {.Id = Id::kBannerImage, .Place = {216, 1, 361, 77}, .Kind = Kind::kPicture},
        {.Id = Id::kTitleLine, .Place = {168, 82, 457, 34}, .Kind = Kind::kLabel, .Field = &Screen::TitleLine,
         .Text = "ZRM-410 Flash Upload", .Alignment = kCentre, .Font = ControlFont::kTitle},
        {.Id = Id::kRepeatUploadButton, .Place = {616, 4, 121, 33}, .Kind = Kind::kButton,
         .Field = &Screen::RepeatUploadButton, .Text = "&Repeat Upload", .Shown = false},
        {.Id = Id::kBackToStartButton, .Place = {616, 42, 137, 33}, .Kind = Kind::kButton,
         .Field = &Screen::BackToStartButton, .Text = "&Go Back to Start", .Shown = false},
        {.Id = Id::kCaptureFileButton, .Place = {83, 482, 153, 33}, .Kind = Kind::kButton,
         .Field = &Screen::CaptureFileButton, .Text = "&Enable Capture File"},
        {.Id = Id::kCaptureStatusLine, .Place = {243, 491, 212, 17}, .Kind = Kind::kLabel,
         .Field = &Screen::CaptureStatusLine, .Text = "Disabled", .Color = kBlue},
        {.Id = Id::kHelpButton, .Place = {528, 482, 89, 33}, .Kind = Kind::kButton, .Text = "&Help"},
        {.Id = Id::kCloseButton, .Place = {622, 482, 89, 33}, .Kind = Kind::kButton, .Text = "&Close"},
        {.Id = Id::kFooterBox, .Place = {83, 518, 628, 53}, .Kind = Kind::kPanel},
        {.Id = Id::kFooterLine, .Parent = Id::kFooterBox, .Place = {4, 10, 620, 17}, .Kind = Kind::kLabel,
         .Text = "Varnel ZRM-410 satellite modem: firmware upload over the remote-control serial port",
         .Alignment = kCentre},
        {.Id = Id::kVersionLine, .Parent = Id::kFooterBox, .Place = {4, 28, 620, 17}, .Kind = Kind::kLabel,
         .Text = std::string(kApplicationTitle) + "     Version " + kVersion, .Alignment = kCentre},

        {.Id = Id::kOpeningPanel, .Place = {89, 122, 577, 343}, .Kind = Kind::kPanel,
         .Field = &Screen::OpeningPanel},
        {.Id = Id::kSubtitleLine, .Parent = Id::kOpeningPanel, .Place = {80, 24, 417, 41},
         .Kind = Kind::kLabel, .Field = &Screen::SubtitleLine,
         .Text = "Utility to Upload unit Firmware into Flash memory, via a serial port",
         .Alignment = kCentre, .Wrapped = true, .PointSize = 13},
        {.Id = Id::kAttachInstructionLine, .Parent = Id::kOpeningPanel, .Place = {58, 88, 461, 33},
         .Kind = Kind::kLabel, .Field = &Screen::AttachInstructionLine,
         .Text = "Attach the Unit Remote Control Port to the Computer Serial Port",
         .Alignment = kCentre, .Wrapped = true, .Color = kBlue, .PointSize = 11},
        {.Id = Id::kPortPrompt, .Parent = Id::kOpeningPanel, .Place = {158, 141, 119, 18},
         .Kind = Kind::kLabel, .Field = &Screen::PortPrompt, .Text = "Select Com Port:", .Alignment = kRight,
         .Color = kBlue},
        {.Id = Id::kPortList, .Parent = Id::kOpeningPanel, .Place = {288, 137, 49, 24}, .Kind = Kind::kList,
         .Field = &Screen::PortList, .Items = PortNumbers(), .VisibleRows = 12},
        // In the free row between the port list and the line settings, across the panel.
        {.Id = Id::kPortDeviceLine, .Parent = Id::kOpeningPanel, .Place = {20, 171, 537, 17},
         .Kind = Kind::kLabel, .Field = &Screen::PortDeviceLine, .Alignment = kCentre},
        {.Id = Id::kLineSettingsBox, .Parent = Id::kOpeningPanel, .Place = {64, 208, 449, 129},
         .Kind = Kind::kPanel},
        {.Id = Id::kBaudLabel, .Parent = Id::kLineSettingsBox, .Place = {32, 17, 41, 16},
         .Kind = Kind::kLabel, .Text = "Baud:", .Alignment = kRight},
        {.Id = Id::kBaudList, .Parent = Id::kLineSettingsBox, .Place = {75, 14, 73, 24}, .Kind = Kind::kList,
         .Field = &Screen::BaudList, .Items = {"19200", "38400"}, .VisibleRows = 2},
        {.Id = Id::kBaudInstructionLine, .Parent = Id::kLineSettingsBox, .Place = {8, 47, 177, 33},
         .Kind = Kind::kLabel, .Field = &Screen::BaudInstructionLine,
         .Text = "Configure the modem baud rate to match the Upload baud rate",
         .Alignment = kCentre, .Wrapped = true, .Color = kBlue, .PointSize = 11},
        {.Id = Id::kUploadTypePrompt, .Parent = Id::kLineSettingsBox, .Place = {256, 47, 177, 34},
         .Kind = Kind::kLabel, .Field = &Screen::UploadTypePrompt, .Text = "Select the Upload type",
         .Alignment = kCentre, .Wrapped = true, .Color = kBlue, .PointSize = 12},
        {.Id = Id::kUploadTypeList, .Parent = Id::kLineSettingsBox, .Place = {322, 14, 81, 24},
         .Kind = Kind::kList, .Field = &Screen::UploadTypeList, .Items = {"M+C", "BULK"}, .VisibleRows = 2},
        {.Id = Id::kStartButton, .Parent = Id::kLineSettingsBox, .Place = {144, 88, 185, 33},
         .Kind = Kind::kButton, .Field = &Screen::StartButton, .Text = "&Start Upload"},

        {.Id = Id::kMainPanel, .Place = {151, 122, 453, 321}, .Kind = Kind::kPanel,
         .Field = &Screen::MainPanel, .Shown = false},
        {.Id = Id::kPortStatusLine, .Parent = Id::kMainPanel, .Place = {36, 24, 365, 16},
         .Kind = Kind::kLabel, .Field = &Screen::PortStatusLine, .Alignment = kCentre, .Color = kBlue},
        // The second status line also carries why a file could not be prepared: it may take the room down
        // to the Choose File button.
        {.Id = Id::kFileStatusLine, .Parent = Id::kMainPanel, .Place = {3, 48, 447, 16}, .Kind = Kind::kLabel,
         .Field = &Screen::FileStatusLine, .Alignment = kCentre, .Wrapped = true, .GrowTo = 76},
        // Where the run panel comes once a file is chosen; hidden when it is.
        {.Id = Id::kChooseFileButton, .Parent = Id::kMainPanel, .Place = {144, 128, 153, 33},
         .Kind = Kind::kButton, .Field = &Screen::ChooseFileButton, .Text = "Choose File", .Shown = false},
        {.Id = Id::kRunPanel, .Parent = Id::kMainPanel, .Place = {7, 68, 439, 225}, .Kind = Kind::kPanel,
         .Field = &Screen::RunPanel, .Shown = false},
        {.Id = Id::kRunInstructionLine, .Parent = Id::kRunPanel, .Place = {11, 16, 417, 37},
         .Kind = Kind::kLabel, .Field = &Screen::RunInstructionLine, .Alignment = kCentre, .Wrapped = true},
        {.Id = Id::kResultLine, .Parent = Id::kRunPanel, .Place = {8, 65, 425, 24}, .Kind = Kind::kLabel,
         .Field = &Screen::ResultLine, .Alignment = kCentre},
        // Empty whenever Start Upload shows, whose top edge it reaches.
        {.Id = Id::kProgressLine, .Parent = Id::kRunPanel, .Place = {12, 105, 417, 32}, .Kind = Kind::kLabel,
         .Field = &Screen::ProgressLine, .Alignment = kCentre, .Wrapped = true, .Color = kBlue},
        // The gauge takes Start Upload's place once the upload runs.
        {.Id = Id::kGauge, .Parent = Id::kRunPanel, .Place = {104, 140, 233, 33}, .Kind = Kind::kGauge,
         .Field = &Screen::Gauge, .Shown = false},
        {.Id = Id::kUploadButton, .Parent = Id::kRunPanel, .Place = {156, 132, 129, 33},
         .Kind = Kind::kButton, .Field = &Screen::UploadButton, .Text = "Start &Upload"},
        {.Id = Id::kWarningLine, .Parent = Id::kRunPanel, .Place = {8, 185, 425, 37}, .Kind = Kind::kLabel,
         .Field = &Screen::WarningLine, .Text = "DO NOT INTERRUPT UPLOAD", .Alignment = kCentre,
         .Shown = false},
    };
    // clang-format on
}

}  // namespace

const std::vector<ControlDescription>& MainWindowControls() {
    static const std::vector<ControlDescription> controls = DescribeControls();
    return controls;
}

const ControlDescription& ControlOf(ControlId id) {
    const std::vector<ControlDescription>& controls = MainWindowControls();
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [id](const ControlDescription& control) { return control.Id == id; });
    if (found == controls.end()) {
        throw std::out_of_range("the main window has no control " + std::to_string(static_cast<int>(id)));
    }
    return *found;
}

}  // namespace flash410::window_model
