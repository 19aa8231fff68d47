#include "modem_sim/sim_config.h"

namespace modemsim {
namespace {
constexpr int kMaxRepeatCount = 100000;
constexpr int kMaxBaud = 4000000;
}  // namespace

std::string ValidateConfig(const SimConfig& config) {
    const FaultPlan& faults = config.faults;
    if (faults.readyOnRequest < 1) {
        return "READY must answer request 1 or later";
    }
    if (faults.eraseErrors < 0 || faults.eraseErrors > kMaxRepeatCount) {
        return "the erase error count must lie between 0 and 100000";
    }
    if (faults.corruptEvery < 0) {
        return "the corruption interval must not be negative";
    }
    if (faults.unknownReplyAfter && *faults.unknownReplyAfter < 1) {
        return "the unknown reply must follow block 1 or later (before any block the PC would resend "
               "garbage)";
    }
    if (faults.failAfter && *faults.failAfter < 0) {
        return "FAILED must follow 0 or more blocks";
    }
    if ((faults.dropRequestAfter && *faults.dropRequestAfter < 0) ||
        (faults.doubleRequestAfter && *faults.doubleRequestAfter < 0)) {
        return "a lost or doubled request must follow 0 or more blocks";
    }
    if (faults.splitReplies < 0 || faults.splitPause.count() < 0) {
        return "the reply split must not be negative";
    }
    if (faults.noiseBytes < 0 || faults.noiseBytes > kMaxRepeatCount) {
        return "the noise count must lie between 0 and 100000";
    }
    for (const Silence& silence : faults.silences) {
        if (silence.duration.count() < 0 || silence.afterBlocks < 0) {
            return "a silence must not be negative";
        }
    }
    if (config.pacing.baud < 0 || config.pacing.baud > kMaxBaud) {
        return "the baud rate must lie between 0 and 4000000";
    }
    if (config.eraseDuration.count() < 0) {
        return "the erase time must not be negative";
    }
    if (config.replyDelay.count() < 0) {
        return "the reply delay must not be negative";
    }
    if (config.blockByteTimeout.count() <= 0) {
        return "the block byte time-out must be positive";
    }
    if (config.uploadLimit < 0) {
        return "the upload limit must not be negative";
    }
    return {};
}

}  // namespace modemsim
