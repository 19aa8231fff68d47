// Feeds arbitrary received text to the reply scanner. The input's first byte picks the reply awaited,
// the second where the text is cut, as if it had come in two reads. Besides the sanitizers' checks it
// requires what the dialogue relies on: a line taken is the buffer's start up to the first return within
// reach of the awaited text, and one byte more; the rest is what follows, at most 125 bytes; a line taken
// from the first read is the same line, and says the same request or erase result, once the second read
// has joined it; and READY seen in the first read is still seen after the second.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "upload/reply_scanner.h"

namespace {

using flash410::upload::ClassifyBlockRequest;
using flash410::upload::ClassifyEraseResult;
using flash410::upload::SaysReady;
using flash410::upload::TakenReply;
using flash410::upload::TakeReplyLine;

constexpr std::size_t kReplyWindow = 125;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckTaken(const std::string& buffer, const std::string& expected,
                const std::optional<TakenReply>& taken) {
    const std::size_t found = buffer.find(expected);
    if (found == std::string::npos) {
        Require(!taken);
        return;
    }
    const std::size_t lineReturn = buffer.find('\r', found);
    const bool withinReach = lineReturn != std::string::npos && lineReturn - found < kReplyWindow;
    Require(taken.has_value() == withinReach);
    if (!taken) {
        return;
    }
    Require(taken->Line == buffer.substr(0, lineReturn + 2));
    Require(taken->Rest == buffer.substr(lineReturn + 1, kReplyWindow));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    static const std::array<std::string, 6> kAwaited{"READY", "ERASING", "ERASE", "BLOCK", "\r", "THANK YOU"};
    const std::string& expected = kAwaited[data[0] % kAwaited.size()];
    const std::string whole(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string first = whole.substr(0, data[1] % (whole.size() + 1));

    const std::optional<TakenReply> takenFirst = TakeReplyLine(first, expected);
    const std::optional<TakenReply> takenWhole = TakeReplyLine(whole, expected);
    CheckTaken(first, expected, takenFirst);
    CheckTaken(whole, expected, takenWhole);
    if (takenFirst) {
        Require(takenWhole.has_value());
        // The first read may have ended at the return, before the byte that follows it.
        const std::string& line = takenWhole->Line;
        Require(takenFirst->Line == line || takenFirst->Line == line.substr(0, line.size() - 1));
        Require(ClassifyBlockRequest(takenFirst->Line) == ClassifyBlockRequest(takenWhole->Line));
        Require(ClassifyEraseResult(takenFirst->Line) == ClassifyEraseResult(takenWhole->Line));
    }
    if (SaysReady(first)) {
        Require(SaysReady(whole));
    }
    return 0;
}
