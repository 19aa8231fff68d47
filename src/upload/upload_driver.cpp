#include "upload/upload_driver.h"

#include <utility>

namespace flash410::upload {

UploadDriver::UploadDriver(UploadEngineEnvironment environment)
    : serial_(environment.serial), capture_(environment.capture), engine_(std::move(environment)) {}

void UploadDriver::Tick() {
    const DialogueStep performed = engine_.State().Step;
    WriteStepLine();
    engine_.PerformStep();
    PerformStepsDue(performed);
}

void UploadDriver::PerformStepsDue(DialogueStep performed) {
    // Only a step that moved on is followed: one that did not (a wait still waiting, a block request
    // answered with the wait for the next) would be performed again and again.
    while (engine_.State().Step != performed) {
        performed = engine_.State().Step;
        if (engine_.StepWaitsForNothing()) {
            WriteStepLine();
            engine_.PerformStep();
        } else if (engine_.AwaitedReplyArrived()) {
            WriteStepLine();
            engine_.PerformStepOnReply();
        } else {
            return;
        }
    }
}

void UploadDriver::Receive(Arrival arrival) {
    std::string received;
    serial_->ReadString(received);
    engine_.AddReceived(received);
    Capture(engine_.State().ReplyBuffer, "[in]");
    if (arrival == Arrival::kBetweenTicks && engine_.AwaitedReplyArrived()) {
        const DialogueStep performed = engine_.State().Step;
        WriteStepLine();
        engine_.PerformStepOnReply();
        PerformStepsDue(performed);
    }
}

void UploadDriver::WriteStepLine() {
    Capture(std::to_string(StepNumber(engine_.State().Step)), "[pn]");
}

void UploadDriver::Capture(const std::string& text, const std::string& tag) {
    if (capture_.WriteLine) {
        capture_.WriteLine(text, tag);
    }
}

}  // namespace flash410::upload
