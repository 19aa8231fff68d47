// What the simulated modem puts on its paced line for one upload, byte by byte, and so the least time an
// upload can take: the dialogue goes in lock step (each side waits for the other's last byte), so the
// bytes of both directions follow one another and their times add up.
#pragma once

#include <chrono>
#include <string>

namespace flash410::bench {

struct LineBudget {
    // After the modem has taken GO: "ERASING", "ERASE COMPLETE", a "SEND BLOCK" before each block and one
    // more that the PC answers with "UPLOAD DONE", and "THANK YOU"; every reply ends in CR LF.
    long long modemBytes = 0;
    // The blocks of 1031 bytes and "UPLOAD DONE" with its CR.
    long long programBytes = 0;
    // Before that: "UP BULK" CR, "READY" CR LF, "GO" CR.
    long long handshakeBytes = 0;
    int baud = 0;

    // 10 bits a byte, as the simulator paces them.
    double Seconds(long long bytes) const;
    // From GO taken to THANK YOU sent: what the ratios are taken against.
    double FromGoSeconds() const { return Seconds(modemBytes + programBytes); }
    // One SEND BLOCK and its block.
    double BlockRoundSeconds() const;
    // One paragraph saying what was counted.
    std::string Explanation() const;
};

LineBudget UploadBudget(int blocks, int baud);

}  // namespace flash410::bench
