// What the upload engine reports as it goes: one small value per thing that happens, in the order and
// the tick in which it happens.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>

#include "upload/upload_result.h"

namespace flash410::upload::events {

// The port chosen on the opening panel opened, or did not within the looks it is given.
struct PortReport {
    bool Opened = false;
    std::int32_t Port = 0;
    std::int32_t Baudrate = 0;
};
// Start Upload on the run panel: the handshake begins on the next tick.
struct UploadStarting {};
// The tick interval the dialogue needs from now on: slow while asking for READY, fast after it.
struct TickIntervalNeeded {
    std::int32_t IntervalMs = 0;
};
struct ReadySeen {};
struct GoSent {};
struct ErasingSeen {};
// A line of the modem's erase error report (the error itself, then its bad blocks).
struct EraseErrorLine {
    std::string Line;
};
struct EraseComplete {};
struct BlockLoopStarted {
    std::int32_t BlockCount = 0;
};
struct BlockSent {
    std::int32_t BlocksSent = 0;
    std::int32_t BlockCount = 0;
};
// The modem asked for the block last sent once more, Times in a row.
struct BlockAskedAgain {
    std::int32_t BlocksSent = 0;
    std::int32_t Times = 0;
};
// The modem stayed silent for a whole wait and the block last sent went again.
struct SilenceResent {
    std::int32_t WaitTicks = 0;
    std::int32_t IntervalMs = 0;
    std::int32_t BlocksSent = 0;
};
// The modem answered FAILED; the halted upload is reported as ended on the next tick.
struct ModemFailed {};
struct UploadDoneSent {};
// THANK YOU came: the completed upload is reported as ended on the next tick.
struct UploadFinishing {};
struct UploadEnded {
    UploadResult Result;
};

}  // namespace flash410::upload::events

namespace flash410::upload {

using UploadEvent =
    std::variant<events::PortReport, events::UploadStarting, events::TickIntervalNeeded, events::ReadySeen,
                 events::GoSent, events::ErasingSeen, events::EraseErrorLine, events::EraseComplete,
                 events::BlockLoopStarted, events::BlockSent, events::BlockAskedAgain, events::SilenceResent,
                 events::ModemFailed, events::UploadDoneSent, events::UploadFinishing, events::UploadEnded>;

using UploadEventSink = std::function<void(const UploadEvent&)>;

}  // namespace flash410::upload
