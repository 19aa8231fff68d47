// Receiving what the PC sends after a block request: normally a 1031-byte block, or "UPLOAD DONE" once
// every block is sent, or a new upload request when the PC starts over.
#pragma once

#include <chrono>
#include <cstddef>

#include "modem_sim/block_format.h"
#include "modem_sim/modem_line.h"
#include "modem_sim/upload_report.h"

namespace modemsim {

struct Arrival {
    enum class Kind { kBlock, kIncomplete, kUploadDone, kUploadRequest, kHungUp, kStopped };
    Kind kind = Kind::kBlock;
    BlockBytes block{};
    std::size_t length = 0;  // bytes received (a whole block, or fewer when it stopped mid-way)
    UploadType request = UploadType::kBulk;
};

// Waits without limit for the first byte; after that a gap longer than byteTimeout ends an incomplete
// block. A block cannot start with "U" (its address is hexadecimal), so bytes that spell a command are
// taken as that command.
Arrival ReceiveBlock(ModemLine& line, std::chrono::milliseconds byteTimeout);

}  // namespace modemsim
