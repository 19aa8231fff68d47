// What the modem's replies say, as pure functions of the received text: the one place that reads them.
#pragma once

#include <optional>
#include <string>

namespace flash410::upload {

// A reply line taken from the receive buffer, and what stays in the buffer after it.
struct TakenReply {
    std::string Line;
    std::string Rest;

    bool operator==(const TakenReply&) const = default;
};

// The reply line that holds expected: everything from the start of the buffer to the carriage return that
// ends the line, and one character more (normally the line feed), which also stays at the front of the
// rest. The line must end within the 125 characters that begin with expected; the rest keeps at most 125
// characters. Nothing while the line is not complete.
std::optional<TakenReply> TakeReplyLine(const std::string& buffer, const std::string& expected);

enum class BlockRequest { kResend, kNext, kFailed, kUnknown };

// A block request, long ("RESEND BLOCK", "SEND BLOCK", "FAILED") or short (the first R or S of the line
// directly followed by its carriage return). RESEND contains SEND, so it is asked first; FAILED comes
// last, so "SEND FAILED" still sends on.
BlockRequest ClassifyBlockRequest(const std::string& reply);

// Whether received text holds anything but line ends: a reply (or noise) has begun.
bool HoldsReplyText(const std::string& received);

// The modem answers READY once it listens for an upload, wherever it stands in what has come in.
bool SaysReady(const std::string& received);

enum class EraseResult { kError, kComplete, kUnexpected };

// The line after ERASING: an erase error (more lines follow), the erase complete, or neither.
EraseResult ClassifyEraseResult(const std::string& reply);

}  // namespace flash410::upload
