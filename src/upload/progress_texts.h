// The texts of the progress line during the block loop: the block sent, and what the operator should know
// while the modem keeps the loop on one block (it stays silent, or asks for the same block again).
#pragma once

#include <cstdint>
#include <string>

namespace flash410::upload {

// "Sending block 3 of 12..."
std::string SendingBlockText(std::int32_t blocksSent, std::int32_t blockCount);

// The modem said nothing for a whole wait of waitTicks ticks at intervalMs each, and the block last sent
// went again: "No answer from the modem for 100 s: block 3 sent again".
std::string SilenceResendText(std::int32_t waitTicks, std::int32_t intervalMs, std::int32_t blocksSent);

// The modem asked for the block last sent once more, times in a row since it last asked for a new one:
// "The modem asked for block 3 again (4 times)".
std::string RepeatedRequestText(std::int32_t blocksSent, std::int32_t times);

}  // namespace flash410::upload
