#include "line_budget.h"

#include <cstdio>

namespace flash410::bench {

namespace {

constexpr long long kBlockBytes = 6 + 1024 + 1;       // address digits, data, checksum
constexpr long long kReplyEnd = 2;                    // CR LF
constexpr long long kErasing = 7 + kReplyEnd;         // "ERASING"
constexpr long long kEraseComplete = 14 + kReplyEnd;  // "ERASE COMPLETE"
constexpr long long kSendBlock = 10 + kReplyEnd;      // "SEND BLOCK"
constexpr long long kThankYou = 9 + kReplyEnd;        // "THANK YOU"
constexpr long long kUploadDone = 11 + 1;             // "UPLOAD DONE" CR
constexpr long long kUpBulk = 7 + 1;                  // "UP BULK" CR
constexpr long long kReady = 5 + kReplyEnd;           // "READY"
constexpr long long kGo = 2 + 1;                      // "GO" CR
constexpr double kBitsPerByte = 10;                   // start bit, 8 data bits, stop bit

}  // namespace

double LineBudget::Seconds(long long bytes) const {
    return static_cast<double>(bytes) * kBitsPerByte / baud;
}

double LineBudget::BlockRoundSeconds() const {
    return Seconds(kSendBlock + kBlockBytes);
}

std::string LineBudget::Explanation() const {
    char text[1024];
    std::snprintf(
        text, sizeof text,
        "Wire time: the simulator paces both directions at %d baud, 10 bits a byte, and the dialogue "
        "goes in lock step, so the two directions add up.\n"
        "  modem to PC after GO: ERASING, ERASE COMPLETE, SEND BLOCK before each block and once more, "
        "THANK YOU (CR LF each) = %lld bytes\n"
        "  PC to modem after GO: the blocks of 1031 bytes and UPLOAD DONE CR = %lld bytes\n"
        "  from GO taken to THANK YOU sent: %lld bytes = %.3f s (erase time 0); the handshake before "
        "it (UP BULK, READY, GO) is %lld bytes more\n",
        baud, modemBytes, programBytes, modemBytes + programBytes, FromGoSeconds(), handshakeBytes);
    return text;
}

LineBudget UploadBudget(int blocks, int baud) {
    LineBudget budget;
    budget.baud = baud;
    budget.modemBytes = kErasing + kEraseComplete + (blocks + 1LL) * kSendBlock + kThankYou;
    budget.programBytes = blocks * kBlockBytes + kUploadDone;
    budget.handshakeBytes = kUpBulk + kReady + kGo;
    return budget;
}

}  // namespace flash410::bench
