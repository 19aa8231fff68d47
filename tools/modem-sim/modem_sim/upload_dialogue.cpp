#include "modem_sim/upload_dialogue.h"

#include <cstdio>
#include <utility>

#include "modem_sim/block_receiver.h"
#include "modem_sim/command_reader.h"
#include "modem_sim/protocol_text.h"

namespace modemsim {
namespace {

// A corrupted block has one data byte changed, as line noise would; its checksum then fails.
constexpr std::size_t kCorruptedByte = kAddressDigits + kBlockDataSize / 2;
constexpr std::uint8_t kCorruptionMask = 0x55;

std::string AddressText(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(address));
    return text;
}

}  // namespace

UploadDialogue::UploadDialogue(ModemLine& line, const SimConfig& config, FlashImage& flash)
    : line_(line),
      config_(config),
      flash_(flash),
      replyOutput_(line),
      replies_(replyOutput_, config.faults, config.replyDelay),
      silenceKept_(config.faults.silences.size(), false) {}

UploadReport UploadDialogue::Run(UploadType firstRequest) {
    report_ = UploadReport{};
    report_.type = firstRequest;
    report_.uploadRequests = 1;
    Log(std::string("upload request ") + std::string(UploadTypeText(firstRequest)));
    if (AwaitReadyRequest() && AwaitGo() && Erase()) {
        BlockLoop();
    }
    if (report_.goReceived) {
        report_.seconds = std::chrono::duration<double>(line_.Now() - goTime_).count();
    }
    return report_;
}

bool UploadDialogue::AwaitReadyRequest() {
    const FaultPlan& faults = config_.faults;
    while (faults.neverReady || report_.uploadRequests < faults.readyOnRequest) {
        const CommandLine command = ReadCommandLine(line_);
        if (!Continues(command.status)) {
            return false;
        }
        if (const auto request = AsUploadRequest(command.text)) {
            ++report_.uploadRequests;
            report_.type = *request;
            Log("upload request " + std::to_string(report_.uploadRequests) + " left unanswered");
        } else {
            Log("ignored before READY: " + Printable(command.text));
        }
    }
    return SilenceAt(SilencePoint::kBeforeReady) && Reply(text::kReady);
}

bool UploadDialogue::AwaitGo() {
    for (;;) {
        const CommandLine command = ReadCommandLine(line_);
        if (!Continues(command.status)) {
            return false;
        }
        if (command.text == text::kGo) {
            goTime_ = line_.Now();
            report_.goReceived = true;
            return true;
        }
        if (const auto request = AsUploadRequest(command.text)) {
            // A loader that is ready says so to every request, should the PC have missed it.
            ++report_.uploadRequests;
            report_.type = *request;
            if (!Reply(text::kReady)) {
                return false;
            }
            continue;
        }
        Log("ignored while waiting for GO: " + Printable(command.text));
    }
}

bool UploadDialogue::Erase() {
    flash_.Erase();
    if (!SilenceAt(SilencePoint::kBeforeErasing) || !Reply(text::kErasing)) {
        return false;
    }
    // The erase errors turn up spread over the erase, as the sectors are found bad.
    const int errors = config_.faults.eraseErrors;
    const auto slice = config_.eraseDuration / (errors + 1);
    for (int i = 1; i <= errors; ++i) {
        if (!Pause(slice) || !Reply(text::kEraseError) ||
            !Reply(std::string(text::kBadBlock) + std::to_string(i))) {
            return false;
        }
        ++report_.eraseErrors;
    }
    return Pause(slice) && SilenceAt(SilencePoint::kBeforeEraseComplete) && Reply(text::kEraseComplete);
}

bool UploadDialogue::BlockLoop() {
    loop_ = BlockLoopState{};
    for (;;) {
        if (!AskForBlock()) {
            return false;
        }
        Arrival arrival = ReceiveBlock(line_, config_.blockByteTimeout);
        const bool corrupt = std::exchange(loop_.corruptNext, false);
        switch (arrival.kind) {
            case Arrival::Kind::kHungUp:
                return Continues(ModemLine::Status::kHungUp);
            case Arrival::Kind::kStopped:
                return Continues(ModemLine::Status::kStopped);
            case Arrival::Kind::kUploadDone:
                Log("UPLOAD DONE after " + std::to_string(report_.blocksStored) + " blocks");
                if (SilenceAt(SilencePoint::kBeforeThankYou) && Reply(text::kThankYou)) {
                    report_.outcome = UploadOutcome::kComplete;
                }
                return false;
            case Arrival::Kind::kUploadRequest:
                Log("a new upload request ends this upload");
                restart_ = arrival.request;
                report_.outcome = UploadOutcome::kRestarted;
                return false;
            case Arrival::Kind::kIncomplete:
                ++report_.badBlocks;
                ++report_.incompleteBlocks;
                loop_.askNext = false;
                Log("block stopped after " + std::to_string(arrival.length) + " bytes");
                break;
            case Arrival::Kind::kBlock:
                TakeBlock(arrival.block, corrupt);
                break;
        }
    }
}

bool UploadDialogue::AskForBlock() {
    const FaultPlan& faults = config_.faults;
    if (!loop_.askNext) {
        ++report_.resendsAsked;
        return Request(faults.shortForms ? text::kResendShort : text::kResendBlock);
    }
    const int stored = report_.blocksStored;
    if (!SilenceAt(SilencePoint::kBeforeBlockRequest, stored)) {
        return false;
    }
    if (faults.failAfter && stored == *faults.failAfter) {
        if (Reply(text::kFailed)) {
            report_.outcome = UploadOutcome::kFailed;
        }
        return false;
    }
    if (faults.unknownReplyAfter && stored == *faults.unknownReplyAfter && !loop_.unknownReplyGiven) {
        loop_.unknownReplyGiven = true;
        return Reply(text::kUnknownReply);
    }
    ++loop_.newBlockRequests;
    loop_.corruptNext = faults.corruptEvery > 0 && loop_.newBlockRequests % faults.corruptEvery == 0;
    return Request(faults.shortForms ? text::kSendShort : text::kSendBlock);
}

bool UploadDialogue::Request(std::string_view request) {
    const FaultPlan& faults = config_.faults;
    const int stored = report_.blocksStored;
    if (faults.dropRequestAfter && stored >= *faults.dropRequestAfter && !loop_.requestDropped) {
        loop_.requestDropped = true;
        Log("reply " + std::string(request) + " lost on the line, as asked");
        return true;
    }
    if (faults.doubleRequestAfter && stored >= *faults.doubleRequestAfter && !loop_.requestDoubled) {
        loop_.requestDoubled = true;
        Log("the next reply said twice, as asked");
        if (!Reply(request)) {
            return false;
        }
    }
    return Reply(request);
}

void UploadDialogue::TakeBlock(BlockBytes& block, bool corrupt) {
    if (corrupt) {
        block[kCorruptedByte] ^= kCorruptionMask;
        Log("block damaged on the line, as asked");
    }
    const BlockCheck check = CheckBlock(block, loop_.lastStored);
    if (check.verdict != BlockVerdict::kGood) {
        ++report_.badBlocks;
        loop_.askNext = false;
        Log("block refused: " + std::string(VerdictText(check.verdict)));
        return;
    }
    if (loop_.lastStored && check.address == *loop_.lastStored) {
        ++report_.blocksRepeated;
        Log("block " + AddressText(check.address) + " taken again");
    } else {
        ++report_.blocksStored;
        Log("block " + AddressText(check.address) + " stored");
    }
    flash_.Store(check.address, DataOf(block));
    loop_.lastStored = check.address;
    loop_.askNext = true;
}

bool UploadDialogue::Reply(std::string_view text) {
    Log("reply " + std::string(text));
    return Continues(replies_.Send(text));
}

bool UploadDialogue::Pause(Clock::duration duration) {
    return Continues(line_.Pause(duration) ? ModemLine::Status::kOk : ModemLine::Status::kStopped);
}

bool UploadDialogue::SilenceAt(SilencePoint point, int storedBlocks) {
    const auto& silences = config_.faults.silences;
    for (std::size_t i = 0; i < silences.size(); ++i) {
        const Silence& silence = silences[i];
        const bool here = silence.point == point &&
                          (point != SilencePoint::kBeforeBlockRequest || silence.afterBlocks == storedBlocks);
        if (here && !silenceKept_[i]) {
            silenceKept_[i] = true;
            Log("silent for " + std::to_string(silence.duration.count()) + " ms");
            if (!Continues(line_.KeepQuiet(silence.duration))) {
                return false;
            }
        }
    }
    return true;
}

bool UploadDialogue::Continues(ModemLine::Status status) {
    switch (status) {
        case ModemLine::Status::kOk:
        case ModemLine::Status::kTimedOut:
            return true;
        case ModemLine::Status::kHungUp:
            report_.outcome = UploadOutcome::kHungUp;
            return false;
        case ModemLine::Status::kStopped:
            report_.outcome = UploadOutcome::kStopped;
            return false;
    }
    return false;
}

void UploadDialogue::Log(const std::string& message) const {
    if (config_.log) {
        config_.log(message);
    }
}

ServeEnd ServeUploads(
    ModemLine& line, const SimConfig& config, FlashImage& flash,
    const std::function<bool(UploadReport& report, std::optional<UploadType> restart)>& onReport) {
    std::optional<UploadType> request;
    for (;;) {
        while (!request) {
            const CommandLine command = ReadCommandLine(line);
            if (command.status == ModemLine::Status::kHungUp) {
                return ServeEnd::kHungUp;
            }
            if (command.status == ModemLine::Status::kStopped) {
                return ServeEnd::kStopped;
            }
            request = AsUploadRequest(command.text);
            if (!request && config.log) {
                config.log("ignored while idle: " + Printable(command.text));
            }
        }
        UploadDialogue dialogue(line, config, flash);
        UploadReport report = dialogue.Run(*request);
        request = dialogue.restartRequest();
        const bool more = onReport(report, request);
        if (report.outcome == UploadOutcome::kHungUp) {
            return ServeEnd::kHungUp;
        }
        if (report.outcome == UploadOutcome::kStopped) {
            return ServeEnd::kStopped;
        }
        if (!more) {
            return ServeEnd::kEnough;
        }
    }
}

}  // namespace modemsim
