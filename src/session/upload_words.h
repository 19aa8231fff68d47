// The words an upload is told in, the same in the window and on the command line: a line of the modem's
// as it is shown, whether the port opened, and how an upload ended.
#pragma once

#include <cstdint>
#include <string>

#include "upload/upload_result.h"

namespace flash410::session {

// A line the modem sent, as it is shown: without its line ends, and with any other control character as
// "." so that it cannot move the cursor or break a label into lines.
std::string ShownModemText(const std::string& received);

// "Port is open on Com 3 at 38400 baud" or "Port did not open on Com 3 at 38400 baud".
std::string PortOpenedText(bool opened, int port, std::int32_t baud);

// How an upload ended.
struct EndWords {
    // What the window shows on the line the end belongs to: "Upload complete. Time taken: 42 seconds",
    // "Upload HALTED. Time taken: 42 seconds", "unexpected response: ERASE STARTED", "Timed out waiting for
    // Thank You", "Upload stopped", "Upload stopped by the operator".
    std::string Summary;
    // Why an upload stopped, shown on a line of its own; empty for the other ends.
    std::string Reason;
    // All of it on one line, with where in the image the upload ended, as the command line says it: "Timed
    // out waiting for SEND BLOCK message at block 2 of 4".
    std::string Line;
};

// lineErrors: what the serial component said meanwhile, which the window has shown in boxes of their own
// and the command line adds to the end of a connection that was lost.
EndWords DescribeEnd(const upload::UploadResult& result, std::int32_t blockCount,
                     const std::string& lineErrors);

}  // namespace flash410::session
