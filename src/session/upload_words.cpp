#include "session/upload_words.h"

#include "upload/time_texts.h"

namespace flash410::session {

namespace {

using upload::UploadOutcome;

std::string TimeTaken(const upload::UploadResult& result) {
    return "Time taken: " + upload::ElapsedTimeText(result.StartTime, result.EndTime);
}

}  // namespace

std::string ShownModemText(const std::string& received) {
    std::string shown;
    for (const char ch : received) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '\r' || byte == '\n') {
            continue;
        }
        shown += byte < 0x20 || byte >= 0x7F ? '.' : ch;
    }
    return shown;
}

std::string PortOpenedText(bool opened, int port, std::int32_t baud) {
    return "Port " + std::string(opened ? "is" : "did not") + " open on Com " + std::to_string(port) +
           " at " + std::to_string(baud) + " baud";
}

EndWords DescribeEnd(const upload::UploadResult& result, std::int32_t blockCount,
                     const std::string& lineErrors) {
    const std::string at =
        " at block " + std::to_string(result.BlocksSent) + " of " + std::to_string(blockCount);
    EndWords words;
    switch (result.Outcome) {
        case UploadOutcome::kComplete:
            words.Summary = "Upload complete. " + TimeTaken(result);
            words.Line = words.Summary;
            break;
        case UploadOutcome::kModemFailed:
            words.Summary = "Upload HALTED. " + TimeTaken(result);
            words.Line = words.Summary + " (the modem answered FAILED" + at + ")";
            break;
        case UploadOutcome::kUnexpectedReply:
            words.Summary = "unexpected response: " + ShownModemText(result.Detail);
            words.Line = words.Summary;
            break;
        case UploadOutcome::kTimedOut:
            words.Summary = "Timed out " + result.Detail;
            words.Line = words.Summary + (result.BlocksSent > 0 ? at : std::string());
            break;
        case UploadOutcome::kConnectionLost:
        case UploadOutcome::kImageUnreadable:
        case UploadOutcome::kBlockRefused:
            words.Summary = "Upload stopped";
            words.Reason = result.Detail;
            // Where no box could say it, what the serial component said of the device comes with it.
            words.Line =
                words.Summary + at + ": " + words.Reason +
                (result.Outcome == UploadOutcome::kConnectionLost && !lineErrors.empty() ? " " + lineErrors
                                                                                         : std::string());
            break;
        case UploadOutcome::kStopped:
            words.Summary = "Upload stopped by the operator";
            words.Line = words.Summary + at;
            break;
    }
    return words;
}

}  // namespace flash410::session
