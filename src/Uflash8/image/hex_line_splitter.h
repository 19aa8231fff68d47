#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "hex_record_parser.h"

namespace flash410::image {

// Cuts text that arrives in pieces into lines. A line ends in LF, CR LF or a lone CR; the same lines
// come out however the text is cut into pieces. Lines up to the longest record are handed on whole. A
// longer line is handed on cut to one character more than that, so the reader still sees that it is too
// long while memory stays bounded on any input.
class HexLineSplitter {
  public:
    static constexpr std::size_t MaxKeptLineLength = LongestRecordLine + 1;

    // Hands every line that ends within text to on_line(std::string_view), which returns false to stop
    // the reading. Returns false once stopped.
    template <typename OnLine>
    bool Feed(std::string_view text, OnLine&& on_line);

    // Hands on a last line that has no line end. Returns false if on_line stopped the reading.
    template <typename OnLine>
    bool Finish(OnLine&& on_line);

    // Number (from 1) of the line last handed on.
    std::int64_t LineNumber() const { return line_number_; }

  private:
    static std::size_t FindLineEnd(const char* text, std::size_t length);
    void KeepPartial(const char* text, std::size_t length);

    std::string partial_;
    bool partial_pending_ = false;
    bool skip_line_feed_ = false;
    std::int64_t line_number_ = 0;
};

inline std::size_t HexLineSplitter::FindLineEnd(const char* text, std::size_t length) {
    const void* line_feed = std::memchr(text, '\n', length);
    const std::size_t limit =
        line_feed ? static_cast<std::size_t>(static_cast<const char*>(line_feed) - text) : length;
    const void* carriage_return = std::memchr(text, '\r', limit);
    return carriage_return ? static_cast<std::size_t>(static_cast<const char*>(carriage_return) - text)
                           : limit;
}

inline void HexLineSplitter::KeepPartial(const char* text, std::size_t length) {
    partial_pending_ = true;
    const std::size_t room = MaxKeptLineLength - partial_.size();
    partial_.append(text, std::min(length, room));
}

template <typename OnLine>
bool HexLineSplitter::Feed(std::string_view text, OnLine&& on_line) {
    std::size_t position = 0;
    if (skip_line_feed_ && !text.empty()) {
        // The previous piece ended in CR; an LF opening this one belongs to the same line end.
        skip_line_feed_ = false;
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
        if (partial_pending_) {
            KeepPartial(start, length);
            line = partial_;
        } else {
            line = std::string_view(start, std::min(length, MaxKeptLineLength));
        }
        position += length + 1;
        if (start[length] == '\r') {
            if (position == text.size()) {
                skip_line_feed_ = true;
            } else if (text[position] == '\n') {
                ++position;
            }
        }
        ++line_number_;
        const bool go_on = on_line(line);
        partial_.clear();
        partial_pending_ = false;
        if (!go_on) {
            return false;
        }
    }
    return true;
}

template <typename OnLine>
bool HexLineSplitter::Finish(OnLine&& on_line) {
    if (!partial_pending_) {
        return true;
    }
    ++line_number_;
    const bool go_on = on_line(std::string_view(partial_));
    partial_.clear();
    partial_pending_ = false;
    return go_on;
}

}  // namespace flash410::image
