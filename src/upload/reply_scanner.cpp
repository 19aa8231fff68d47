#include "upload/reply_scanner.h"

namespace flash410::upload {

namespace {

constexpr std::size_t kReplyWindow = 125;

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

bool FirstIsFollowedByReturn(const std::string& text, char c) {
    const std::size_t at = text.find(c);
    return at != std::string::npos && at + 1 < text.size() && text[at + 1] == '\r';
}

}  // namespace

std::optional<TakenReply> TakeReplyLine(const std::string& buffer, const std::string& expected) {
    const std::size_t found = buffer.find(expected);
    if (found == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t lineEnd = buffer.substr(found, kReplyWindow).find('\r');
    if (lineEnd == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t afterReturn = found + lineEnd + 1;
    return TakenReply{buffer.substr(0, afterReturn + 1), buffer.substr(afterReturn, kReplyWindow)};
}

BlockRequest ClassifyBlockRequest(const std::string& reply) {
    if (Contains(reply, "RESEND") || FirstIsFollowedByReturn(reply, 'R')) {
        return BlockRequest::kResend;
    }
    if (Contains(reply, "SEND") || FirstIsFollowedByReturn(reply, 'S')) {
        return BlockRequest::kNext;
    }
    if (Contains(reply, "FAILED")) {
        return BlockRequest::kFailed;
    }
    return BlockRequest::kUnknown;
}

bool HoldsReplyText(const std::string& received) {
    return received.find_first_not_of("\r\n") != std::string::npos;
}

bool SaysReady(const std::string& received) {
    return Contains(received, "READY");
}

EraseResult ClassifyEraseResult(const std::string& reply) {
    if (Contains(reply, "ERASE ERROR")) {
        return EraseResult::kError;
    }
    if (Contains(reply, "COMPLETE")) {
        return EraseResult::kComplete;
    }
    return EraseResult::kUnexpected;
}

}  // namespace flash410::upload
