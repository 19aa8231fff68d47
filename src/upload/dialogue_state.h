// Where the dialogue with the modem stands. The engine alone writes it; front ends read it.
#pragma once

#include <cstdint>
#include <string>

#include "upload/dialogue_step.h"

namespace flash410::upload {

struct DialogueState {
    DialogueStep Step = DialogueStep::kIdle;  // the step the next tick performs
    std::string ReplyBuffer;                  // received bytes not yet consumed
    std::string LastReply;                    // the reply line WaitForReply handed back last
    std::string WaitingFor;                   // quoted in "Timed out " + WaitingFor
    std::int32_t WaitTicks = 0;
    std::int32_t WaitLimitTicks = 0;
    std::int32_t PortOpenPolls = 0;
    std::int32_t HandshakeTries = 0;
    std::int32_t BlocksSent = 0;
    std::int32_t BlockCount = 0;
    std::int32_t UploadBaud = 0;
    // Times of day as fractions of a day.
    double UploadStartTime = 0;
    double UploadEndTime = 0;
};

}  // namespace flash410::upload
