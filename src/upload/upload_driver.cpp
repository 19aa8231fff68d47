#include "upload/upload_driver.h"

#include <utility>

namespace flash410::upload {

UploadDriver::UploadDriver(UploadEngineEnvironment environment)
    : serial_(environment.serial), capture_(environment.capture), engine_(std::move(environment)) {}

void UploadDriver::Tick() {
    WriteStepLine();
    engine_.PerformStep();
}

void UploadDriver::Receive(Arrival arrival) {
    std::string received;
    serial_->ReadString(received);
    engine_.AddReceived(received);
    Capture(engine_.State().ReplyBuffer, "[in]");
    if (arrival == Arrival::kBetweenTicks && engine_.AwaitedReplyArrived()) {
        WriteStepLine();
        engine_.PerformStepOnReply();
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
