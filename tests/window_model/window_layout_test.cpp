// The main window's layout, which both windows make their controls from: every control inside its parent
// and clear of its neighbours, each id once, and every control of the screen state shown by exactly one
// control of the right kind.
#include "window_model/window_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "flash410_version.h"

namespace flash410::window_model {
namespace {

using Id = ControlId;
using Screen = ScreenState;

// The room a control has for what it holds: the window's client area or a panel's.
ControlPlace RoomOf(ControlId parent) {
    if (parent == Id::kWindow) {
        return {0, 0, kWindowPlace.Width, kWindowPlace.Height};
    }
    const ControlPlace& place = ControlOf(parent).Place;
    return {0, 0, place.Width, place.Height};
}

bool Inside(const ControlPlace& inner, const ControlPlace& outer) {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right() <= outer.Right() &&
           inner.Bottom() <= outer.Bottom() && inner.Width > 0 && inner.Height > 0;
}

bool Overlap(const ControlPlace& a, const ControlPlace& b) {
    return a.Left < b.Right() && b.Left < a.Right() && a.Top < b.Bottom() && b.Top < a.Bottom();
}

TEST(MainWindowLayout, EveryControlComesAfterItsPanelAndLiesInsideIt) {
    std::set<ControlId> made{Id::kWindow};
    for (const ControlDescription& control : MainWindowControls()) {
        SCOPED_TRACE(static_cast<int>(control.Id));
        EXPECT_TRUE(made.count(control.Parent)) << "made before its parent";
        EXPECT_TRUE(control.Parent == Id::kWindow || ControlOf(control.Parent).Kind == ControlKind::kPanel);
        EXPECT_TRUE(Inside(control.Place, RoomOf(control.Parent)));
        // A wrapped label grows downwards, and stays inside its parent when it does.
        ControlPlace grown = control.Place;
        grown.Height = std::max(grown.Height, control.GrowTo);
        EXPECT_TRUE(Inside(grown, RoomOf(control.Parent)));
        EXPECT_TRUE(control.Wrapped || control.GrowTo == 0);
        made.insert(control.Id);
    }
}

TEST(MainWindowLayout, ControlsOfOneParentOverlapOnlyWhereTheyAreNeverSeenTogether) {
    const std::set<std::pair<ControlId, ControlId>> sharing = {
        // Never shown together: the opening panel and the main upload panel.
        {Id::kOpeningPanel, Id::kMainPanel},
        // The gauge takes Start Upload's place once the upload runs.
        {Id::kGauge, Id::kUploadButton},
        // The progress line reaches Start Upload's top edge, and is empty while the button shows.
        {Id::kProgressLine, Id::kUploadButton},
        // Choose File stands where the run panel comes once a file is chosen, and goes when it is.
        {Id::kChooseFileButton, Id::kRunPanel},
    };
    std::set<std::pair<ControlId, ControlId>> overlapping;
    const std::vector<ControlDescription>& controls = MainWindowControls();
    for (auto a = controls.begin(); a != controls.end(); ++a) {
        for (auto b = std::next(a); b != controls.end(); ++b) {
            if (a->Parent == b->Parent && Overlap(a->Place, b->Place)) {
                overlapping.insert(std::minmax(a->Id, b->Id));
            }
        }
    }
    std::set<std::pair<ControlId, ControlId>> expected;
    for (const auto& [a, b] : sharing) {
        expected.insert(std::minmax(a, b));
    }
    EXPECT_EQ(overlapping, expected);
}

TEST(MainWindowLayout, EachIdOnceAndEveryControlOfTheScreenShownByOneControlOfItsKind) {
    const std::vector<ControlDescription>& controls = MainWindowControls();
    std::map<ControlId, int> ids;
    for (const ControlDescription& control : controls) {
        SCOPED_TRACE(static_cast<int>(control.Id));
        ++ids[control.Id];
        EXPECT_EQ(&ControlOf(control.Id), &control);
        if (control.Field.index() > 0) {
            // The kind of control that shows each type of field, in the order of ScreenField's types (the
            // first, no field, is never looked up).
            constexpr ControlKind kShowing[] = {ControlKind::kPicture, ControlKind::kLabel,
                                                ControlKind::kButton,  ControlKind::kPanel,
                                                ControlKind::kList,    ControlKind::kGauge};
            EXPECT_EQ(control.Kind, kShowing[control.Field.index()]);
        } else {
            // Fixed text has something to say, except on the panels and the banner.
            EXPECT_TRUE(!control.Text.empty() || control.Kind == ControlKind::kPanel ||
                        control.Kind == ControlKind::kPicture);
        }
    }
    for (const auto& [id, count] : ids) {
        EXPECT_EQ(count, 1) << static_cast<int>(id);
    }
    EXPECT_FALSE(ids.count(Id::kWindow));
    EXPECT_THROW(ControlOf(Id::kWindow), std::out_of_range);

    // Everything the screen state says of its controls reaches the operator through exactly one control.
    // clang-format off
    const ScreenField fields[] = {
        &Screen::ProgressLine, &Screen::PortPrompt, &Screen::ResultLine, &Screen::TitleLine,
        &Screen::SubtitleLine, &Screen::UploadTypePrompt, &Screen::FileStatusLine, &Screen::WarningLine,
        &Screen::CaptureStatusLine, &Screen::PortStatusLine, &Screen::AttachInstructionLine,
        &Screen::RunInstructionLine, &Screen::BaudInstructionLine, &Screen::PortDeviceLine,
        &Screen::RepeatUploadButton, &Screen::BackToStartButton, &Screen::CaptureFileButton,
        &Screen::ChooseFileButton, &Screen::UploadButton, &Screen::StartButton,
        &Screen::OpeningPanel, &Screen::MainPanel, &Screen::RunPanel, &Screen::Gauge,
        &Screen::PortList, &Screen::BaudList, &Screen::UploadTypeList};
    // clang-format on
    for (const ScreenField& field : fields) {
        EXPECT_EQ(
            std::count_if(controls.begin(), controls.end(),
                          [&field](const ControlDescription& control) { return control.Field == field; }),
            1)
            << "field " << (&field - fields);
    }
    const auto withField = std::count_if(controls.begin(), controls.end(), [](const ControlDescription& c) {
        return !std::holds_alternative<std::monostate>(c.Field);
    });
    EXPECT_EQ(static_cast<std::size_t>(withField), std::size(fields));
}

TEST(MainWindowLayout, TheFooterNamesTheBuildsVersion) {
    EXPECT_THAT(ControlOf(Id::kVersionLine).Text, ::testing::EndsWith(std::string(" Version ") + kVersion));
}

}  // namespace
}  // namespace flash410::window_model
