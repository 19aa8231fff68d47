// What the simulated modem does: its timing, the line pace and the faults it puts on the dialogue.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace modemsim {

// Where a silence falls: just before the reply named. A silence ends early when the program closes its
// port, so that a test can hold an upload at a point and then leave it.
enum class SilencePoint {
    kBeforeReady,
    kBeforeErasing,
    kBeforeEraseComplete,
    kBeforeBlockRequest,  // the request that follows the afterBlocks-th stored block (0: the first)
    kBeforeThankYou,
};

struct Silence {
    SilencePoint point = SilencePoint::kBeforeReady;
    int afterBlocks = 0;
    std::chrono::milliseconds duration{0};
};

// Faults, all combinable. Each one-off fault happens once per upload.
struct FaultPlan {
    int readyOnRequest = 1;  // READY answers the k-th upload request
    bool neverReady = false;
    int eraseErrors = 0;                   // "ERASE ERROR" + "BAD BLOCK n" pairs before "ERASE COMPLETE"
    int corruptEvery = 0;                  // damage the block sent for every nth new-block request
    bool shortForms = false;               // "S" and "R" instead of "SEND BLOCK" and "RESEND BLOCK"
    std::optional<int> unknownReplyAfter;  // "OK" instead of the request after this many stored blocks
    std::optional<int> failAfter;          // "FAILED" instead of the request after this many stored blocks
    // The first block request once this many blocks are stored lost on the line, or said twice.
    std::optional<int> dropRequestAfter;
    std::optional<int> doubleRequestAfter;
    std::vector<Silence> silences;
    int splitReplies = 0;  // bytes per write; 0 writes each reply at once
    std::chrono::milliseconds splitPause{30};
    int noiseBytes = 0;  // line noise before every reply
};

// 10 bits a byte (start, 8 data, stop). Baud 0 and no followPort: bytes pass unpaced.
struct LinePacing {
    int baud = 0;
    bool followPort = false;  // pace at whatever rate the program set on its end of the line
};

struct SimConfig {
    FaultPlan faults;
    LinePacing pacing;
    std::chrono::milliseconds eraseDuration{0};
    // Each reply waits this long before its first byte leaves, as a USB-serial adapter holds what it
    // receives until its latency timer runs out (up to 16 ms) before the PC sees it.
    std::chrono::milliseconds replyDelay{0};
    std::chrono::milliseconds blockByteTimeout{1000};  // a block that stops longer than this is resent
    int uploadLimit = 0;                               // end after this many uploads; 0: no limit
    bool endOnHangUp = false;                          // end when the program closes the port
    std::function<void(const std::string&)> log;       // what the modem sees and does, line by line
};

// An empty text when the settings make sense, otherwise what is wrong with them.
std::string ValidateConfig(const SimConfig& config);

}  // namespace modemsim
