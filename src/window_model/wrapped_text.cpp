#include "window_model/wrapped_text.h"

#include <algorithm>

namespace flash410::window_model {

WrappedTextFit FitWrappedText(int height, int growTo, int pointSize,
                              const std::function<int(double pointSize)>& measure) {
    const int room = std::max(height, growTo);
    WrappedTextFit fit{std::clamp(measure(pointSize), height, room), static_cast<double>(pointSize)};
    while (fit.PointSize > kSmallestPointSize && measure(fit.PointSize) > room) {
        fit.PointSize -= 0.5;
    }
    return fit;
}

}  // namespace flash410::window_model
