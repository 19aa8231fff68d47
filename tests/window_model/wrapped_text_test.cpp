// How a wrapped label fits its text, with a made-up measure: a text whose height grows with its size.
#include "window_model/wrapped_text.h"

#include <gtest/gtest.h>

#include <functional>

namespace flash410::window_model {
namespace {

// The height of a text that takes this many pixels a point (the label's own font is 9.75 points).
std::function<int(double)> TextOf(double pixelsAPoint) {
    return [pixelsAPoint](double points) {
        return static_cast<int>((points > 0 ? points : 9.75) * pixelsAPoint);
    };
}

TEST(WrappedText, TakesTheLinesItNeedsBetweenItsHeightAndTheRoomItMayGrowTo) {
    EXPECT_EQ(FitWrappedText(16, 76, 0, TextOf(1)).Height, 16);  // one short line: the label's own height
    EXPECT_EQ(FitWrappedText(16, 76, 12, TextOf(4)).Height, 48);
    EXPECT_EQ(FitWrappedText(16, 76, 12, TextOf(4)).PointSize, 12);
    EXPECT_EQ(FitWrappedText(33, 0, 11, TextOf(3)).Height, 33);  // no room beyond its own height
    EXPECT_EQ(FitWrappedText(16, 76, 0, TextOf(10)).Height, 76);
}

TEST(WrappedText, ATextInASizeOfItsOwnIsSetSmallerHalfAPointAtATimeUntilItFits) {
    const WrappedTextFit fit = FitWrappedText(37, 0, 14, TextOf(3.5));  // 49 pixels at 14 points
    EXPECT_EQ(fit.Height, 37);
    EXPECT_EQ(fit.PointSize, 10.5);  // 36 pixels; 11 points would take 38
}

TEST(WrappedText, NoSmallerThanSevenPointsAndTheWindowsOwnFontNeverShrinks) {
    EXPECT_EQ(FitWrappedText(32, 0, 13, TextOf(100)).PointSize, 7);
    EXPECT_EQ(FitWrappedText(32, 0, 6, TextOf(100)).PointSize, 6);  // already below: left as it is
    const WrappedTextFit own = FitWrappedText(32, 40, 0, TextOf(100));
    EXPECT_EQ(own.PointSize, 0);
    EXPECT_EQ(own.Height, 40);
}

}  // namespace
}  // namespace flash410::window_model
