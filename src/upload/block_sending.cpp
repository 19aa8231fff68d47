// The blocks of the upload image on the wire: exactly the 1031 bytes of the block buffer in one write,
// 0x00 and 0x0D like any other. The driver puts bytes on the line back to back either way, but every write
// is a round trip through it (a USB frame a write on some adapters), so a block is one. Counters and texts
// change only once a block is on the wire.
#include <algorithm>
#include <cstddef>

#include "platform/hex_text.h"
#include "upload/upload_engine.h"

namespace flash410::upload {

bool UploadEngine::SendNextBlock() {
    // A block count that does not match the image held must not send part of a block as if it were one.
    if (!image_ || image_->size() < imagePosition_ + blockBuffer_.size()) {
        End(UploadOutcome::kImageUnreadable,
            "The upload image " + imageName_ + " ends before block " + std::to_string(state_.BlocksSent + 1));
        return false;
    }
    const auto block = image_->begin() + static_cast<std::ptrdiff_t>(imagePosition_);
    std::copy(block, block + static_cast<std::ptrdiff_t>(blockBuffer_.size()), blockBuffer_.begin());
    imagePosition_ += blockBuffer_.size();
    SendCurrentBlock();
    ++state_.BlocksSent;
    Report(events::BlockSent{state_.BlocksSent, state_.BlockCount});
    return true;
}

void UploadEngine::SendCurrentBlock() {
    state_.ReplyBuffer.clear();
    // A line that stops taking bytes part-way leaves the modem a short block: the serial component says
    // how many went, the modem does not answer it, and the wait for its request ends the upload as for
    // any stalled line. The rest is never sent later on its own, where the modem would take it for the
    // start of the next block.
    environment_.serial->Write(blockBuffer_);
    // Behind whatever block is still crossing the wire.
    const double now = environment_.clock();
    blockOnWireUntil_ = (BlockOnTheWire(now) ? blockOnWireUntil_ : now) + BlockWireSeconds();
    if (environment_.capture.Enabled && environment_.capture.Enabled()) {
        CaptureBlock();
    }
}

double UploadEngine::BlockWireSeconds() const {
    // 10 bits a byte on the wire.
    return 10.0 * static_cast<double>(blockBuffer_.size()) /
           std::max<std::int32_t>(environment_.serial->Baudrate(), 1);
}

bool UploadEngine::BlockOnTheWire(double time) const {
    // A block takes at most about a second on the wire: a clock far behind has passed midnight.
    constexpr double kLongestWireSeconds = 10;
    return time < blockOnWireUntil_ && blockOnWireUntil_ - time < kLongestWireSeconds;
}

void UploadEngine::CaptureBlock() {
    namespace image = flash410::image;
    const std::string address(blockBuffer_.begin(), blockBuffer_.begin() + image::kBlockAddressDigits);
    Capture("  addr " + address + "  cksm " + platform::HexNumber(blockBuffer_.back(), 2), "[info  ]");
    constexpr std::size_t kRow = 64;
    for (std::size_t offset = 0; offset < image::kChunkSize; offset += kRow) {
        const std::string tag = offset == 0 ? "[B000->]" : "[B" + std::to_string(offset) + "->]";
        Capture(
            platform::HexBytes(std::span(blockBuffer_).subspan(image::kBlockAddressDigits + offset, kRow)),
            tag);
    }
}

}  // namespace flash410::upload
