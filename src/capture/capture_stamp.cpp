#include "capture/capture_stamp.h"

#include <cmath>

namespace flash410::capture {

namespace {

// value is 0 to 59.
void AppendTwoDigits(std::string& text, int value) {
    text += static_cast<char>('0' + value / 10);
    text += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string ClockText(double secondsSinceMidnight) {
    // Normalized, the reading is below 86400, so the hours are 0 to 23.
    const int whole = static_cast<int>(std::floor(platform::NormalizedTimeOfDay(secondsSinceMidnight)));
    std::string text;
    AppendTwoDigits(text, whole / 3600);
    text += ':';
    AppendTwoDigits(text, whole / 60 % 60);
    text += ':';
    AppendTwoDigits(text, whole % 60);
    return text;
}

int StampMilliseconds(double secondsSinceMidnight) {
    const double withinMinute = std::fmod(platform::NormalizedTimeOfDay(secondsSinceMidnight), 60.0);
    const double fraction = withinMinute - std::floor(withinMinute);
    return static_cast<int>(fraction * 1000.0 + 0.5);
}

std::string CaptureStamp(const platform::TimeOfDayClock& clock) {
    std::string stamp = ClockText(clock());
    stamp += ':';
    stamp += std::to_string(StampMilliseconds(clock()));
    return stamp;
}

}  // namespace flash410::capture
