// The outcome of one upload dialogue, as the modem saw it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace modemsim {

enum class UploadType { kMc, kBulk };

enum class UploadOutcome {
    kComplete,   // "UPLOAD DONE" answered with "THANK YOU"
    kFailed,     // the modem answered "FAILED"
    kHungUp,     // the program closed the port mid-way
    kRestarted,  // a new upload request came mid-way
    kStopped,    // the simulator was asked to end mid-way
};

struct UploadReport {
    int number = 0;  // 1 for the first upload since the simulator started
    UploadType type = UploadType::kBulk;
    UploadOutcome outcome = UploadOutcome::kHungUp;
    int uploadRequests = 0;
    bool goReceived = false;
    int eraseErrors = 0;
    int blocksStored = 0;    // distinct blocks written to the flash
    int blocksRepeated = 0;  // the last stored block taken again
    int resendsAsked = 0;
    int badBlocks = 0;         // blocks refused, the incomplete ones included
    int incompleteBlocks = 0;  // of those, the blocks that stopped mid-way
    std::uint64_t bytesReceived = 0;
    double seconds = 0;  // from "GO" to the end of the dialogue
};

std::string_view UploadTypeText(UploadType type);
std::string_view OutcomeText(UploadOutcome outcome);
// One line, e.g. "upload 1 (UP BULK) complete: blocks stored 3, resends asked 1, bad blocks 1, ...".
std::string SummaryLine(const UploadReport& report);

}  // namespace modemsim
