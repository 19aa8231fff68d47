#include "serial/message_framer.h"

namespace flash410::serial {

std::optional<std::string> MessageFramer::Complete() {
    state_ = State::kComplete;
    return buffer_;
}

std::optional<std::string> MessageFramer::Feed(char byte, char startChar, char endChar,
                                               std::uint16_t appendCount) {
    if (state_ == State::kAppending) {
        buffer_.push_back(byte);
        if (--countdown_ == 0) {
            return Complete();
        }
        return std::nullopt;
    }
    // The start test comes first: a second start character restarts the message.
    if (byte == startChar) {
        state_ = State::kCollecting;
        buffer_.assign(1, byte);
        return std::nullopt;
    }
    if (byte == endChar) {
        if (state_ != State::kCollecting) {
            return std::nullopt;
        }
        buffer_.push_back(byte);
        if (appendCount != 0) {
            state_ = State::kAppending;
            countdown_ = appendCount;
            return std::nullopt;
        }
        return Complete();
    }
    if (state_ == State::kCollecting) {
        buffer_.push_back(byte);
    }
    return std::nullopt;
}

}  // namespace flash410::serial
