// One upload as the modem's flash loader leads it: READY to the upload request, the erase after "GO",
// block requests until "UPLOAD DONE", then "THANK YOU". Strict about what it stores: a block that is
// damaged, badly addressed, out of order or incomplete is asked for again.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "modem_sim/flash_image.h"
#include "modem_sim/modem_line.h"
#include "modem_sim/reply_writer.h"
#include "modem_sim/sim_config.h"
#include "modem_sim/upload_report.h"

namespace modemsim {

class UploadDialogue {
  public:
    UploadDialogue(ModemLine& line, const SimConfig& config, FlashImage& flash);

    // Runs from the upload request just received until the upload ends one way or another. The report's
    // number and byte count are the caller's to fill in.
    UploadReport Run(UploadType firstRequest);
    // The upload request that cut the dialogue short (outcome kRestarted).
    std::optional<UploadType> restartRequest() const { return restart_; }

  private:
    // Each phase returns false once the dialogue has ended; report_.outcome then says how.
    bool AwaitReadyRequest();
    bool AwaitGo();
    bool Erase();
    bool BlockLoop();
    bool AskForBlock();
    void TakeBlock(BlockBytes& block, bool corrupt);

    bool Reply(std::string_view text);
    // A block request, lost or said twice where the faults say so.
    bool Request(std::string_view request);
    bool Pause(Clock::duration duration);
    bool SilenceAt(SilencePoint point, int storedBlocks = 0);
    bool Continues(ModemLine::Status status);
    void Log(const std::string& message) const;

    ModemLine& line_;
    const SimConfig& config_;
    FlashImage& flash_;
    LineReplyOutput replyOutput_;
    ReplyWriter replies_;
    UploadReport report_;
    std::vector<bool> silenceKept_;
    Clock::time_point goTime_{};
    std::optional<UploadType> restart_;

    // Where the block loop stands.
    struct BlockLoopState {
        std::optional<std::uint32_t> lastStored;
        bool askNext = true;  // false: the last block must come again
        int newBlockRequests = 0;
        bool corruptNext = false;
        bool unknownReplyGiven = false;
        bool requestDropped = false;
        bool requestDoubled = false;
    };
    BlockLoopState loop_;
};

// How a line served by ServeUploads ended.
enum class ServeEnd { kHungUp, kStopped, kEnough };

// Upload after upload on a line that stays open: waits for an upload request (other lines are logged and
// ignored), leads its dialogue, and goes straight on to the next one when a new request cut it short.
// Each upload's report goes to onReport with the request that cut it short, if any; onReport returns
// false once there have been enough.
ServeEnd ServeUploads(
    ModemLine& line, const SimConfig& config, FlashImage& flash,
    const std::function<bool(UploadReport& report, std::optional<UploadType> restart)>& onReport);

}  // namespace modemsim
