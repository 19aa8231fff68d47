#include "modem_sim/flash_loader.h"

#include <optional>
#include <utility>

#include "modem_sim/upload_dialogue.h"

namespace modemsim {
namespace {
// How long the modem, done with its uploads, waits for the program to read its last reply.
constexpr auto kLastReplyGrace = std::chrono::seconds(2);
}  // namespace

FlashLoader::FlashLoader(int master, int stopFd, SimConfig config, Observer observer)
    : config_(std::move(config)), line_(master, stopFd, config_.pacing), observer_(std::move(observer)) {}

void FlashLoader::Serve() {
    for (;;) {
        if (!line_.WaitForAttach()) {
            return;
        }
        Log("the program opened the port");
        const ConnectionEnd end = ServeConnection();
        if (end == ConnectionEnd::kLimitReached) {
            line_.WaitUntilRead(kLastReplyGrace);
        }
        line_.Reset();
        if (end != ConnectionEnd::kHungUp || config_.endOnHangUp) {
            return;
        }
        Log("the program closed the port");
    }
}

FlashLoader::ConnectionEnd FlashLoader::ServeConnection() {
    std::uint64_t countedUpTo = line_.bytesReceived();
    const ServeEnd end =
        ServeUploads(line_, config_, flash_, [&](UploadReport& report, std::optional<UploadType> restart) {
            report.number = ++uploads_;
            report.bytesReceived = line_.bytesReceived() - countedUpTo;
            countedUpTo = line_.bytesReceived();
            if (restart) {
                // The request that cut this upload short opens the next one.
                const std::uint64_t requestBytes = UploadTypeText(*restart).size() + 1;
                report.bytesReceived -= requestBytes;
                countedUpTo -= requestBytes;
            }
            Log(SummaryLine(report));
            if (observer_) {
                observer_(report, flash_);
            }
            return config_.uploadLimit <= 0 || uploads_ < config_.uploadLimit;
        });
    switch (end) {
        case ServeEnd::kHungUp:
            return ConnectionEnd::kHungUp;
        case ServeEnd::kStopped:
            return ConnectionEnd::kStopped;
        case ServeEnd::kEnough:
            break;
    }
    return ConnectionEnd::kLimitReached;
}

void FlashLoader::Log(const std::string& message) const {
    if (config_.log) {
        config_.log(message);
    }
}

}  // namespace modemsim
