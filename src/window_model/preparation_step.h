// The steps of the window's own part of the tick: preparing a chosen file and showing the run panel. The
// numbers are the ones the capture log writes on its "[pn]" lines, beside those of the dialogue's steps.
#pragma once

#include <cstdint>

namespace flash410::window_model {

// Apart from the engine's steps (upload/dialogue_step.h), so that each is performed by its own owner;
// the numbers of the two never meet but in idle.
enum class PreparationStep : std::int32_t {
    kIdle = 0,
    // The run panel once an upload image is ready.
    kShowRunPrompt = 42,
    // The preparation of a chosen file.
    kBadExtension = 102,
    kEmptyBinaryImage = 104,
    kConvertHexToBinary = 112,
    kCreateImageFile = 123,
    kWriteImageFile = 124,
};

// The number the capture log writes for the step.
constexpr std::int32_t StepNumber(PreparationStep step) {
    return static_cast<std::int32_t>(step);
}

}  // namespace flash410::window_model
