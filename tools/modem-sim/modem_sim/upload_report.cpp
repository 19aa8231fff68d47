#include "modem_sim/upload_report.h"

#include <cstdio>

namespace modemsim {

std::string_view UploadTypeText(UploadType type) {
    return type == UploadType::kMc ? "UP MC" : "UP BULK";
}

std::string_view OutcomeText(UploadOutcome outcome) {
    switch (outcome) {
        case UploadOutcome::kComplete:
            return "complete";
        case UploadOutcome::kFailed:
            return "failed";
        case UploadOutcome::kHungUp:
            return "ended by the port closing";
        case UploadOutcome::kRestarted:
            return "abandoned for a new upload request";
        case UploadOutcome::kStopped:
            return "ended by the simulator stopping";
    }
    return "unknown";
}

std::string SummaryLine(const UploadReport& report) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", report.seconds);
    return "upload " + std::to_string(report.number) + " (" + std::string(UploadTypeText(report.type)) +
           ") " + std::string(OutcomeText(report.outcome)) + ": blocks stored " +
           std::to_string(report.blocksStored) + ", resends asked " + std::to_string(report.resendsAsked) +
           ", bad blocks " + std::to_string(report.badBlocks) + ", bytes received " +
           std::to_string(report.bytesReceived) + ", seconds taken " + seconds;
}

}  // namespace modemsim
