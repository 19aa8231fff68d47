#include "modem_sim/reply_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "modem_sim/protocol_text.h"

namespace modemsim {
namespace {
constexpr std::array<std::uint8_t, 10> kNoise{0x00, 0xFF, 0x7F, 0x80, 0xFE, '#', '~', '.', '*', 0x01};
}  // namespace

bool IsNoiseByte(unsigned char byte) {
    return std::find(kNoise.begin(), kNoise.end(), byte) != kNoise.end();
}

ModemLine::Status ReplyWriter::Send(std::string_view text) {
    if (replyDelay_ > Clock::duration::zero() && !output_.Pause(replyDelay_)) {
        return ModemLine::Status::kStopped;
    }
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < faults_.noiseBytes; ++i) {
        bytes.push_back(kNoise[noiseIndex_++ % kNoise.size()]);
    }
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.insert(bytes.end(), text::kReplyEnd.begin(), text::kReplyEnd.end());

    const std::size_t piece =
        faults_.splitReplies > 0 ? static_cast<std::size_t>(faults_.splitReplies) : bytes.size();
    for (std::size_t start = 0; start < bytes.size(); start += piece) {
        if (start > 0 && !output_.Pause(faults_.splitPause)) {
            return ModemLine::Status::kStopped;
        }
        const std::size_t length = std::min(piece, bytes.size() - start);
        const ModemLine::Status status = output_.Send(std::span(bytes).subspan(start, length));
        if (status != ModemLine::Status::kOk) {
            return status;
        }
    }
    return ModemLine::Status::kOk;
}

}  // namespace modemsim
