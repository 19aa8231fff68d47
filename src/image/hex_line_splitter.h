#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "image/hex_record_parser.h"

namespace flash410::image {

// Cuts text that arrives in pieces into lines. A line ends in LF, CR LF or a lone CR; the same lines
// come out however the text is cut into pieces. Lines up to the longest record are handed on whole. A
// longer line is handed on cut to one character more than that, so the reader still sees that it is too
// long while memory stays bounded on any input.
class HexLineSplitter {
  public:
    static constexpr std::size_t kMaxKeptLineLength = kLongestRecordLine + 1;

    // Hands every line that ends within text to onLine(std::string_view), which returns false to stop
    // the reading. Returns false once stopped.
    template <typename OnLine>
    bool Feed(std::string_view text, OnLine&& onLine);

    // Hands on a last line that has no line end. Returns false if onLine stopped the reading.
    template <typename OnLine>
    bool Finish(OnLine&& onLine);

    // Number (from 1) of the line last handed on.
    std::int64_t LineNumber() const { return lineNumber_; }

  private:
    static std::size_t FindLineEnd(const char* text, std::size_t length);
    void KeepPartial(const char* text, std::size_t length);

    std::string partial_;
    bool partialPending_ = false;
    bool skipLineFeed_ = false;
    std::int64_t lineNumber_ = 0;
};

inline std::size_t HexLineSplitter::FindLineEnd(const char* text, std::size_t length) {
    const void* lineFeed = std::memchr(text, '\n', length);
    const std::size_t limit =
        lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - text) : length;
    const void* carriageReturn = std::memchr(text, '\r', limit);
    return carriageReturn ? static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - text) : limit;
}

inline void HexLineSplitter::KeepPartial(const char* text, std::size_t length) {
    partialPending_ = true;
    const std::size_t room = kMaxKeptLineLength - partial_.size();
    partial_.append(text, std::min(length, room));
}

template <typename OnLine>
bool HexLineSplitter::Feed(std::string_view text, OnLine&& onLine) {
    std::size_t position = 0;
    if (skipLineFeed_ && !text.empty()) {
        // The previous piece ended in CR; an LF opening this one belongs to the same line end.
        skipLineFeed_ = false;
        if (text.front() == '\n') {
            position = 1;
        }
    }
    while (position < text.size()) {
        const char* start = text.data() + position;
        const std::size_t rest = text.size() - position;
        const std::size_t length = FindLineEnd(start, rest);
        if (length == rest) {
            KeepPartial(start, rest);
            return true;
        }
        std::string_view line;
        if (partialPending_) {
            KeepPartial(start, length);
            line = partial_;
        } else {
            line = std::string_view(start, std::min(length, kMaxKeptLineLength));
        }
        position += length + 1;
        if (start[length] == '\r') {
            if (position == text.size()) {
                skipLineFeed_ = true;
            } else if (text[position] == '\n') {
                ++position;
            }
        }
        ++lineNumber_;
        const bool goOn = onLine(line);
        partial_.clear();
        partialPending_ = false;
        if (!goOn) {
            return false;
        }
    }
    return true;
}

template <typename OnLine>
bool HexLineSplitter::Finish(OnLine&& onLine) {
    if (!partialPending_) {
        return true;
    }
    ++lineNumber_;
    const bool goOn = onLine(std::string_view(partial_));
    partial_.clear();
    partialPending_ = false;
    return goOn;
}

}  // namespace flash410::image
