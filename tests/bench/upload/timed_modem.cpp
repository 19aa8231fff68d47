#include "timed_modem.h"

namespace flash410::bench {

namespace {
// Only keeps a broken upload from hanging the benchmark: the report follows THANK YOU at once.
constexpr std::chrono::minutes kReportGuard{2};
}  // namespace

TimedModem::TimedModem(std::optional<modemsim::PortLinkRequest> link, std::chrono::milliseconds replyDelay) {
    modemsim::SimConfig config;
    config.pacing.followPort = true;
    config.eraseDuration = std::chrono::milliseconds(0);
    config.replyDelay = replyDelay;
    config.log = [this](const std::string& message) { Note(message); };
    modem_ = std::make_unique<modemsim::ModemSimulator>(std::move(config), std::move(link));
}

TimedModem::~TimedModem() {
    modem_.reset();
}

void TimedModem::Note(const std::string& message) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(mutex_);
    if (!firstRequest_ && message.starts_with("upload request")) {
        firstRequest_ = now;
    } else if (!go_ && message == "reply ERASING") {
        go_ = now;
    } else if (message == "reply SEND BLOCK") {
        asked_ = now;
    } else if (asked_ && message.starts_with("block ") && message.ends_with(" stored")) {
        blockRounds_.push_back(std::chrono::duration<double>(now - *asked_).count());
        asked_.reset();
    }
}

std::optional<ModemTimes> TimedModem::FirstUpload() const {
    if (!modem_->WaitForUploads(1, kReportGuard)) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    if (!firstRequest_ || !go_) {
        return std::nullopt;
    }
    return ModemTimes{modem_->Reports().front(), *firstRequest_, *go_, blockRounds_};
}

}  // namespace flash410::bench
