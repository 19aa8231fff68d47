#include "modem_sim/command_reader.h"

#include <cstdio>

#include "modem_sim/protocol_text.h"

namespace modemsim {
namespace {
// Longer than any command; the rest of a longer line is dropped so that garbage cannot grow memory.
constexpr std::size_t kMaxCommandLength = 80;
}  // namespace

CommandLine ReadCommandLine(ModemLine& line) {
    CommandLine command;
    for (;;) {
        const ModemLine::Received received = line.Receive(std::nullopt);
        if (received.status != ModemLine::Status::kOk) {
            command.status = received.status;
            return command;
        }
        if (received.byte == static_cast<std::uint8_t>(text::kCommandEnd)) {
            return command;
        }
        if (command.text.size() < kMaxCommandLength) {
            command.text.push_back(static_cast<char>(received.byte));
        }
    }
}

std::optional<UploadType> AsUploadRequest(std::string_view command) {
    if (command == text::kUploadRequestMc) {
        return UploadType::kMc;
    }
    if (command == text::kUploadRequestBulk) {
        return UploadType::kBulk;
    }
    return std::nullopt;
}

std::string Printable(std::string_view bytes) {
    std::string shown;
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code < 0x7F) {
            shown.push_back(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", code);
            shown += hex;
        }
    }
    return shown;
}

}  // namespace modemsim
