// The steps of the dialogue with the modem, the port's opening included, one named value each. The
// numbers are the ones the capture log writes on its "[pn]" lines, so a log reads the same whichever build
// wrote it.
#pragma once

#include <cstdint>

namespace flash410::upload {

// Only the engine's own steps: the window's file preparation has its own (window_model/preparation_step.h).
enum class DialogueStep : std::int32_t {
    kIdle = 0,
    // Opening the port chosen on the opening panel.
    kOpenPort = 5,
    kPollPortOpen = 6,
    kReportPort = 10,
    // The dialogue with the modem's flash loader.
    kSendUploadRequest = 44,
    kAwaitReady = 45,
    kSendGo = 54,
    kAwaitErasing = 55,
    kCheckErasing = 56,
    kAwaitEraseResult = 57,
    kCheckEraseResult = 58,
    kAwaitErrorBlock = 59,
    kShowErrorBlock = 60,
    kStartBlockLoop = 66,
    kAwaitBlockRequest = 67,
    // A block request has been taken from the buffer; it is answered within the same tick.
    kBlockRequestTaken = 68,
    kSendUploadDone = 73,
    kAwaitThankYou = 74,
    kFinishUpload = 75,
    kShowComplete = 82,
    kShowHalted = 88,
    kTimedOut = 99,
    // The block last sent goes again: the modem was silent or said something unknown.
    kResendBlock = 999,
};

// The number the capture log writes for the step.
constexpr std::int32_t StepNumber(DialogueStep step) {
    return static_cast<std::int32_t>(step);
}

}  // namespace flash410::upload
