// What the main window shows, as plain values named after its controls. The window model reads and writes it;
// the window renders it after every handler and every tick.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace flash410::window_model {

// A label's text is black, pure blue or pure red.
enum class TextColor { kBlack, kBlue, kRed };

struct Rgb {
    int Red = 0;
    int Green = 0;
    int Blue = 0;
};

constexpr Rgb RgbOf(TextColor color) {
    return color == TextColor::kBlue ? Rgb{0, 0, 255} : color == TextColor::kRed ? Rgb{255, 0, 0} : Rgb{};
}

struct LabelState {
    std::string Caption;
    bool Visible = true;
    TextColor Color = TextColor::kBlack;
    int FontPointSize = 0;  // 0: the window's own font (Arial, 13 pixels high)

    bool operator==(const LabelState&) const = default;
};

struct ButtonState {
    std::string Caption;
    bool Visible = true;

    bool operator==(const ButtonState&) const = default;
};

struct PanelState {
    std::string Caption;
    bool Visible = true;

    bool operator==(const PanelState&) const = default;
};

// A pick-only drop-down list.
struct ListState {
    std::vector<std::string> Items;
    int ItemIndex = -1;  // -1: nothing selected

    std::string Text() const {
        return ItemIndex >= 0 && ItemIndex < static_cast<int>(Items.size())
                   ? Items[static_cast<std::size_t>(ItemIndex)]
                   : std::string();
    }
    // Selects the entry whose text is exactly this; none if there is no such entry.
    void SelectText(const std::string& text);

    bool operator==(const ListState&) const = default;
};

struct GaugeState {
    int Progress = 0;
    int MaxValue = 100;
    bool Visible = false;

    bool operator==(const GaugeState&) const = default;
};

struct TimerState {
    bool Enabled = false;
    int IntervalMs = 500;

    bool operator==(const TimerState&) const = default;
};

struct ScreenState {
    LabelState ProgressLine, PortPrompt, ResultLine, TitleLine, SubtitleLine, UploadTypePrompt,
        FileStatusLine, WarningLine, CaptureStatusLine, PortStatusLine, AttachInstructionLine,
        RunInstructionLine, BaudInstructionLine;
    // Beside the port list: the device behind the chosen port, and whether it is there.
    LabelState PortDeviceLine;
    ButtonState RepeatUploadButton, BackToStartButton, CaptureFileButton, ChooseFileButton, UploadButton,
        StartButton;
    PanelState OpeningPanel, MainPanel, RunPanel;
    GaugeState Gauge;
    ListState PortList, BaudList, UploadTypeList;
    TimerState Timer;

    // The file chooser's type filter, set when the main upload panel opens.
    std::string ChooserFilter;

    // Requests to the window, taken and cleared by it after each handler and tick.
    std::optional<int> ShowHelpTopic;
    bool CloseWindow = false;
    std::vector<std::string> Messages;  // shown in message boxes, in order
};

// The screen as the window is designed (window_model/window_layout.h), before start-up has run.
ScreenState DesignedScreen();

}  // namespace flash410::window_model
