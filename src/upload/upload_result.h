// How an upload ended, as a value a front end can act on without reading screen texts.
#pragma once

#include <cstdint>
#include <string>

namespace flash410::upload {

enum class UploadOutcome {
    kComplete,         // the modem thanked for the whole image
    kModemFailed,      // the modem answered FAILED to a block
    kUnexpectedReply,  // the modem answered the erase with a line that is neither error nor complete
    kTimedOut,         // the modem did not answer in time; Detail says what was awaited
    kConnectionLost,   // the port closed or could not be opened again; Detail says why
    kImageUnreadable,  // the upload image could not be read any more; Detail says why
    kBlockRefused,     // the modem asked for one block again more often than the limit allows; Detail says
                       // which block
    kStopped,          // the operator left the upload (Go Back to Start, closing the program)
};

struct UploadResult {
    UploadOutcome Outcome = UploadOutcome::kStopped;
    std::int32_t BlocksSent = 0;
    // How often a block went again: asked for again, answered with an unknown line, or met by silence.
    std::int32_t BlocksAskedAgain = 0;
    // From GO to the end, as times of day in fractions of a day; both 0 when GO was never sent.
    double StartTime = 0;
    double EndTime = 0;
    std::string Detail;

    bool operator==(const UploadResult&) const = default;
};

}  // namespace flash410::upload
