// Which controls a window draws again: those whose part of the screen state changed since the last
// drawing, every one at the first drawing and after the window forgot what it drew.
#include "window_model/drawn_screen.h"

#include <gtest/gtest.h>

#include <set>

namespace flash410::window_model {
namespace {

std::set<ControlId> ChangedControls(const DrawnScreen& drawn, const ScreenState& now) {
    std::set<ControlId> changed;
    for (const ControlDescription& control : MainWindowControls()) {
        if (drawn.Changed(control, now)) {
            changed.insert(control.Id);
        }
    }
    return changed;
}

TEST(DrawnScreen, OnlyTheControlsWhoseStateChangedSinceTheLastDrawing) {
    DrawnScreen drawn;
    ScreenState s = DesignedScreen();
    const std::set<ControlId> first = ChangedControls(drawn, s);
    EXPECT_EQ(first.size(), 27u);  // every control with a field of the screen state
    EXPECT_TRUE(first.count(ControlId::kTitleLine));
    EXPECT_FALSE(first.count(ControlId::kHelpButton));  // fixed text: made once, never drawn again
    EXPECT_FALSE(first.count(ControlId::kFooterBox));

    drawn.Drew(s);
    EXPECT_TRUE(ChangedControls(drawn, s).empty());
    s.ProgressLine.Color = TextColor::kRed;
    s.Gauge.Progress = 3;
    s.BaudList.ItemIndex = 1;
    s.Messages.push_back("not a control's");
    EXPECT_EQ(ChangedControls(drawn, s),
              (std::set<ControlId>{ControlId::kProgressLine, ControlId::kGauge, ControlId::kBaudList}));

    drawn.Drew(s);
    drawn.Forget();
    EXPECT_EQ(ChangedControls(drawn, s), first);
}

}  // namespace
}  // namespace flash410::window_model
