// The main window described once, without a toolkit: its titles, and every control with its place in the
// design's 96-DPI pixels, its kind, how it lays out its text, its font, and where what it shows comes
// from. Both windows make their controls by walking the table, in its order (which is the keyboard's
// order too), and draw the screen state by walking it again.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "window_model/screen_state.h"

namespace flash410::window_model {

// The window's title bar, exactly: two blanks on each side of the dash.
inline constexpr char kWindowTitle[] =
    "FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems";
// The program's own name, which its message boxes carry as their title.
inline constexpr char kApplicationTitle[] = "Varnel Flash Device Upload";

// The controls' ids, one set for both windows. The Windows window gives each control its number, by which
// its own notifications and its tests find it.
enum class ControlId : int {
    kWindow = 0,  // the window itself: the parent of the controls that stand on it

    kRepeatUploadButton = 101,
    kBackToStartButton,
    kCaptureFileButton,
    kHelpButton,
    kCloseButton,
    kStartButton,
    kChooseFileButton,
    kUploadButton,

    kPortList = 201,
    kBaudList,
    kUploadTypeList,

    kBannerImage = 301,
    kTitleLine,
    kCaptureStatusLine,
    kFooterLine,
    kVersionLine,
    kSubtitleLine,
    kAttachInstructionLine,
    kPortPrompt,
    kBaudLabel,
    kBaudInstructionLine,
    kUploadTypePrompt,
    kPortStatusLine,
    kFileStatusLine,
    kRunInstructionLine,
    kResultLine,
    kProgressLine,
    kWarningLine,
    kPortDeviceLine,

    kOpeningPanel = 401,
    kMainPanel,
    kRunPanel,
    kLineSettingsBox,
    kFooterBox,

    kGauge = 501,
};

enum class ControlKind {
    kLabel,
    kButton,
    kList,     // a pick-only drop-down list
    kPanel,    // a frame around controls, with an optional title on its top edge
    kGauge,    // a progress bar
    kPicture,  // the banner, painted by each window itself
};

enum class TextAlignment { kLeft, kCentre, kRight };

enum class ControlFont {
    kWindow,  // the window's font: Arial, 13 pixels high
    kTitle,   // Arial, 32 pixels high, bold italic
};

// Left, top, width and height in the parent's client area, in pixels at 96 DPI.
struct ControlPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    bool operator==(const ControlPlace&) const = default;
};

// Where the window stands at start-up, and the size of its client area in the design's pixels.
inline constexpr ControlPlace kWindowPlace{0, 0, 800, 600};

// The field of the screen state that a control shows; none for a control whose text never changes.
using LabelField = LabelState ScreenState::*;
using ButtonField = ButtonState ScreenState::*;
using PanelField = PanelState ScreenState::*;
using ListField = ListState ScreenState::*;
using GaugeField = GaugeState ScreenState::*;
using ScreenField = std::variant<std::monostate, LabelField, ButtonField, PanelField, ListField, GaugeField>;

struct ControlDescription {
    ControlId Id = ControlId::kWindow;
    ControlId Parent = ControlId::kWindow;
    ControlPlace Place{};
    ControlKind Kind = ControlKind::kLabel;
    // The field the control shows; a control without one shows Text for good.
    ScreenField Field{};
    // The text the control is made with: its caption for good, or the one its field starts with. A "&"
    // in a button's caption marks the letter that Alt presses it with.
    std::string Text{};
    TextAlignment Alignment = TextAlignment::kLeft;
    // A wrapped label breaks its text between words and takes the lines it needs, up to GrowTo pixels
    // high when that is more than its own height (see FitWrappedText).
    bool Wrapped = false;
    int GrowTo = 0;
    ControlFont Font = ControlFont::kWindow;
    // A list: its entries, and how many of them show when it is dropped down.
    std::vector<std::string> Items{};
    int VisibleRows = 0;
    // How a control with a field starts: shown or hidden, and a label's colour and font size (points;
    // 0 is the control's own font).
    bool Shown = true;
    TextColor Color = TextColor::kBlack;
    int PointSize = 0;
};

// Every control of the main window, each after its parent, in the order the keyboard goes through them.
const std::vector<ControlDescription>& MainWindowControls();

// The control of this id; throws std::out_of_range for an id the window does not have.
const ControlDescription& ControlOf(ControlId id);

}  // namespace flash410::window_model
