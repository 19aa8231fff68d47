#include "campaign/capture_reading.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "image/image_layout.h"

namespace flash410::campaign {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kRowBytes = 64;
constexpr std::size_t kRows = image::kChunkSize / kRowBytes;

struct CaptureLine {
    std::string_view tag;
    std::string_view text;
};

// "hh:mm:ss:" and the milliseconds, one to three digits (or 1000, which a fraction of 0.9995 and more
// rounds to), then the tag in brackets.
std::optional<CaptureLine> Parse(std::string_view line) {
    std::size_t at = 0;
    for (int field = 0; field < 3; ++field, at += 3) {
        if (line.size() < at + 3 || !std::isdigit(static_cast<unsigned char>(line[at])) ||
            !std::isdigit(static_cast<unsigned char>(line[at + 1])) || line[at + 2] != ':') {
            return std::nullopt;
        }
    }
    const std::size_t digits = line.find_first_not_of("0123456789", at);
    if (digits == std::string_view::npos || digits == at || digits - at > 4 || line[digits] != '[') {
        return std::nullopt;
    }
    const std::size_t tagEnd = line.find(']', digits);
    if (tagEnd == std::string_view::npos) {
        return std::nullopt;
    }
    return CaptureLine{line.substr(digits, tagEnd + 1 - digits), line.substr(tagEnd + 1)};
}

std::string Unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, 4) == "[cr]") {
            plain += '\r';
            at += 4;
        } else if (text.substr(at, 4) == "[lf]") {
            plain += '\n';
            at += 4;
        } else {
            plain += text[at++];
        }
    }
    return plain;
}

bool AppendHex(std::string_view hex, std::string& bytes) {
    if (hex.size() % 2 != 0) {
        return false;
    }
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(hex.data() + at, hex.data() + at + 2, value, 16);
        if (error != std::errc() || end != hex.data() + at + 2) {
            return false;
        }
        bytes += static_cast<char>(value);
    }
    return true;
}

// A block's "[info  ]" line: "  addr 00C400  cksm 5A".
std::optional<std::pair<std::string, char>> ParseBlockInfo(std::string_view text) {
    constexpr std::string_view kAddress = "  addr ";
    constexpr std::string_view kChecksum = "  cksm ";
    const std::size_t addressLength = image::kBlockAddressDigits;
    if (text.size() != kAddress.size() + addressLength + kChecksum.size() + 2 ||
        !text.starts_with(kAddress) ||
        text.substr(kAddress.size() + addressLength, kChecksum.size()) != kChecksum) {
        return std::nullopt;
    }
    std::string checksum;
    if (!AppendHex(text.substr(text.size() - 2), checksum)) {
        return std::nullopt;
    }
    return std::pair(std::string(text.substr(kAddress.size(), addressLength)), checksum[0]);
}

}  // namespace

CaptureReading ReadCaptureLog(const std::string& text) {
    CaptureReading reading;
    const auto problem = [&reading](std::size_t lineNumber, const std::string& what) {
        reading.problems.push_back("capture line " + std::to_string(lineNumber) + ": " + what);
    };
    std::string_view rest = text;
    std::size_t lineNumber = 0;
    bool continuesReceived = false;
    // The block being read back: its address, checksum and the rows so far.
    std::optional<std::pair<std::string, char>> block;
    std::string rows;
    while (!rest.empty()) {
        const std::size_t end = rest.find(kLineEnd);
        if (end == std::string_view::npos) {
            problem(lineNumber + 1, "the log does not end with a whole line");
            break;
        }
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + kLineEnd.size());
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != "[start]") {
                problem(lineNumber, "not [start]");
            }
            continue;
        }
        const std::optional<CaptureLine> parsed = Parse(line);
        if (!parsed) {
            if (!continuesReceived) {
                problem(lineNumber, "neither a stamped line nor received text going on");
            }
            continue;
        }
        continuesReceived = parsed->tag == "[in]";
        if (block) {
            const std::string expectedTag =
                rows.empty() ? "[B000->]" : "[B" + std::to_string(rows.size()) + "->]";
            if (parsed->tag != expectedTag || !AppendHex(parsed->text, rows) ||
                rows.size() % kRowBytes != 0) {
                problem(lineNumber, "not row " + expectedTag + " of the block");
                block.reset();
                continue;
            }
            if (rows.size() == kRows * kRowBytes) {
                reading.sent += block->first + rows + block->second;
                block.reset();
            }
            continue;
        }
        if (parsed->tag == "[out]") {
            if (parsed->text != "resend") {
                reading.sent += Unescaped(parsed->text);
            }
        } else if (parsed->tag == "[info  ]") {
            block = ParseBlockInfo(parsed->text);
            rows.clear();
            if (!block) {
                problem(lineNumber, "a block's address and checksum that do not read");
            }
        }
    }
    if (block) {
        problem(lineNumber, "the last block's rows are missing");
    }
    return reading;
}

}  // namespace flash410::campaign
