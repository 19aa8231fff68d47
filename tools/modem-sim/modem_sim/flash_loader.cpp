#include "modem_sim/flash_loader.h"

#include <optional>
#include <utility>

#include "modem_sim/command_reader.h"
#include "modem_sim/protocol_text.h"
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
    std::optional<UploadType> request;
    for (;;) {
        while (!request) {
            const CommandLine command = ReadCommandLine(line_);
            if (command.status == ModemLine::Status::kHungUp) {
                return ConnectionEnd::kHungUp;
            }
            if (command.status == ModemLine::Status::kStopped) {
                return ConnectionEnd::kStopped;
            }
            request = AsUploadRequest(command.text);
            if (!request) {
                Log("ignored while idle: " + Printable(command.text));
            }
        }
        UploadDialogue dialogue(line_, config_, flash_);
        UploadReport report = dialogue.Run(*request);
        report.number = ++uploads_;
        report.bytesReceived = line_.bytesReceived() - countedUpTo;
        countedUpTo = line_.bytesReceived();
        request = dialogue.restartRequest();
        if (request) {
            // The request that cut this upload short opens the next one.
            const std::uint64_t requestBytes = UploadTypeText(*request).size() + 1;
            report.bytesReceived -= requestBytes;
            countedUpTo -= requestBytes;
        }
        Log(SummaryLine(report));
        if (observer_) {
            observer_(report, flash_);
        }
        if (report.outcome == UploadOutcome::kHungUp) {
            return ConnectionEnd::kHungUp;
        }
        if (report.outcome == UploadOutcome::kStopped) {
            return ConnectionEnd::kStopped;
        }
        if (config_.uploadLimit > 0 && uploads_ >= config_.uploadLimit) {
            return ConnectionEnd::kLimitReached;
        }
    }
}

void FlashLoader::Log(const std::string& message) const {
    if (config_.log) {
        config_.log(message);
    }
}

}  // namespace modemsim
