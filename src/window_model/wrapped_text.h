// How a wrapped label fits its text: it takes the lines it needs, as far as it may grow; when even that
// is not enough, a text in a size of its own is set smaller, half a point at a time, down to 7 points.
// The window's own font keeps its size. Measuring is the toolkit's: the window passes its measure in.
#pragma once

#include <functional>

namespace flash410::window_model {

inline constexpr double kSmallestPointSize = 7.0;

struct WrappedTextFit {
    int Height = 0;        // the label's height, in the measuring toolkit's pixels
    double PointSize = 0;  // the text's size in points; 0: the label's own font
};

// height: the label's designed height; growTo: the height it may take beyond it (0: none); pointSize: the
// text's size, 0 for the label's own font; measure: the height the text takes at the label's width in a
// font of that many points (0: the label's own font). Heights in the toolkit's pixels.
WrappedTextFit FitWrappedText(int height, int growTo, int pointSize,
                              const std::function<int(double pointSize)>& measure);

}  // namespace flash410::window_model
