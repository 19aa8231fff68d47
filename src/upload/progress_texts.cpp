#include "upload/progress_texts.h"

namespace flash410::upload {

namespace {

constexpr std::int64_t kMillisecondsPerSecond = 1000;

std::string Times(std::int32_t times) {
    return std::to_string(times) + (times == 1 ? " time" : " times");
}

}  // namespace

std::string SendingBlockText(std::int32_t blocksSent, std::int32_t blockCount) {
    return "Sending block " + std::to_string(blocksSent) + " of " + std::to_string(blockCount) + "...";
}

std::string SilenceResendText(std::int32_t waitTicks, std::int32_t intervalMs, std::int32_t blocksSent) {
    const std::int64_t waitedMs = std::int64_t{waitTicks} * intervalMs;
    const std::int64_t seconds = (waitedMs + kMillisecondsPerSecond / 2) / kMillisecondsPerSecond;
    return "No answer from the modem for " + std::to_string(seconds) + " s: block " +
           std::to_string(blocksSent) + " sent again";
}

std::string RepeatedRequestText(std::int32_t blocksSent, std::int32_t times) {
    return "The modem asked for block " + std::to_string(blocksSent) + " again (" + Times(times) + ")";
}

}  // namespace flash410::upload
