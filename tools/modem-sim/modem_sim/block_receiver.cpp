#include "modem_sim/block_receiver.h"

#include <array>
#include <string>
#include <string_view>

#include "modem_sim/protocol_text.h"

namespace modemsim {
namespace {

struct CommandSpelling {
    std::string text;  // with its CR
    Arrival::Kind kind;
    UploadType request;
};

const std::array<CommandSpelling, 3>& Commands() {
    static const std::array<CommandSpelling, 3> commands{{
        {std::string(text::kUploadDone) + text::kCommandEnd, Arrival::Kind::kUploadDone, UploadType::kBulk},
        {std::string(text::kUploadRequestMc) + text::kCommandEnd, Arrival::Kind::kUploadRequest,
         UploadType::kMc},
        {std::string(text::kUploadRequestBulk) + text::kCommandEnd, Arrival::Kind::kUploadRequest,
         UploadType::kBulk},
    }};
    return commands;
}

// The command the bytes so far spell in full, or whether some command still begins with them.
const CommandSpelling* SpelledCommand(std::string_view received, bool& stillPossible) {
    stillPossible = false;
    for (const CommandSpelling& command : Commands()) {
        if (received == command.text) {
            return &command;
        }
        if (std::string_view(command.text).starts_with(received)) {
            stillPossible = true;
        }
    }
    return nullptr;
}

}  // namespace

Arrival ReceiveBlock(ModemLine& line, std::chrono::milliseconds byteTimeout) {
    Arrival arrival;
    bool maybeCommand = true;
    for (;;) {
        std::optional<Clock::time_point> deadline;
        if (arrival.length > 0) {
            deadline = line.Now() + byteTimeout;
        }
        const ModemLine::Received received = line.Receive(deadline);
        switch (received.status) {
            case ModemLine::Status::kOk:
                break;
            case ModemLine::Status::kTimedOut:
                arrival.kind = Arrival::Kind::kIncomplete;
                return arrival;
            case ModemLine::Status::kHungUp:
                arrival.kind = Arrival::Kind::kHungUp;
                return arrival;
            case ModemLine::Status::kStopped:
                arrival.kind = Arrival::Kind::kStopped;
                return arrival;
        }
        arrival.block[arrival.length++] = received.byte;
        if (maybeCommand) {
            const std::string_view soFar(reinterpret_cast<const char*>(arrival.block.data()), arrival.length);
            if (const CommandSpelling* command = SpelledCommand(soFar, maybeCommand)) {
                arrival.kind = command->kind;
                arrival.request = command->request;
                return arrival;
            }
        }
        if (arrival.length == kBlockSize) {
            arrival.kind = Arrival::Kind::kBlock;
            return arrival;
        }
    }
}

}  // namespace modemsim
