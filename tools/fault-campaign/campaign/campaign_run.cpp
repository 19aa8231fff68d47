#include "campaign/campaign_run.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>

#include "campaign/side_files.h"
#include "campaign/virtual_cable.h"
#include "capture/capture_error.h"
#include "history/upload_record.h"
#include "image/image_layout.h"
#include "image/upload_image.h"
#include "modem_sim/flash_image.h"
#include "modem_sim/upload_dialogue.h"
#include "session/upload_session.h"

namespace flash410::campaign {
namespace {

using std::chrono::duration_cast;
using Seconds = std::chrono::duration<double>;

constexpr double kTenOClock = 10 * 3600.0;
// How long the session goes on being ticked after an upload has ended, to see that it sends nothing more.
constexpr VirtualTime kAfterEnd = std::chrono::seconds(3);

VirtualTime FromSeconds(double seconds) {
    return duration_cast<VirtualTime>(Seconds(seconds));
}
double ToSeconds(VirtualTime time) {
    return duration_cast<Seconds>(time).count();
}

std::string ChunkBytes(const CampaignPlan& plan, std::size_t index) {
    std::mt19937_64 random(plan.contentSeed + index);
    std::string bytes(image::kChunkSize, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// The flash as a whole upload of the plan leaves it.
std::vector<std::uint8_t> ExpectedFlash(const CampaignPlan& plan) {
    std::vector<std::uint8_t> flash(image::kModemFlash.Bytes(), image::kErasedByte);
    for (std::size_t i = 0; i < plan.chunks.size(); ++i) {
        const std::string bytes = ChunkBytes(plan, i);
        std::copy(bytes.begin(), bytes.end(), flash.begin() + plan.chunks[i] * image::kChunkSize);
    }
    return flash;
}

// The longest an upload of the plan may take: the handshake's tries, the erase, every silence, and each
// block (sent twice at worst, with its replies at their slowest) plus a wait for each, twice over.
double UploadBound(const CampaignPlan& plan) {
    const modemsim::FaultPlan& faults = plan.modem.faults;
    double silences = 0;
    for (const modemsim::Silence& silence : faults.silences) silences += silence.duration.count() / 1000.0;
    const double blockSeconds = 10.0 * image::kBlockSize / plan.baud + ReplySeconds(plan) + 0.1;
    const double blocks = static_cast<double>(plan.chunks.size());
    // Requests sent during a silence wait at the modem, which answers each.
    const double queuedReplies = silences / 0.5 * ReplySeconds(plan);
    return 2 * (plan.limits.HandshakeTries * 0.5 + plan.modem.eraseDuration.count() / 1000.0 + silences +
                queuedReplies + (2 * blocks + 10) * blockSeconds + 10 * ReplyWaitSeconds(plan.limits));
}

}  // namespace

std::vector<std::uint8_t> PlanImage(const CampaignPlan& plan) {
    std::vector<std::uint8_t> bytes;
    unsigned imageSum = static_cast<unsigned>(image::kModemFlash.Chunks() - plan.chunks.size()) * 1024 * 0xFF;
    for (std::size_t i = 0; i < plan.chunks.size(); ++i) {
        image::BlockBuffer block{};
        char address[8];
        std::snprintf(address, sizeof address, "%06X",
                      static_cast<unsigned>(plan.chunks[i] * image::kChunkSize));
        std::copy_n(address, image::kBlockAddressDigits, block.begin());
        const std::string chunk = ChunkBytes(plan, i);
        std::copy(chunk.begin(), chunk.end(), block.begin() + image::kBlockAddressDigits);
        for (const char byte : chunk) imageSum += static_cast<unsigned char>(byte);
        block.back() = image::BlockChecksum(block);
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    char trailer[8];
    std::snprintf(trailer, sizeof trailer, "%04X", imageSum & 0xFFFF);
    bytes.insert(bytes.end(), trailer, trailer + image::kChecksumDigits);
    return bytes;
}

PlanRun RunPlan(const CampaignPlan& plan, const std::function<void(const std::string&)>& trace) {
    PlanRun run;
    VirtualCable* tracedCable = nullptr;
    const auto say = [&](const std::string& line) {
        if (trace && tracedCable) {
            char time[32];
            std::snprintf(time, sizeof time, "%10.3f ", ToSeconds(tracedCable->Now()));
            trace(time + line);
        }
    };
    modemsim::SimConfig modemConfig = plan.modem;
    if (trace) {
        modemConfig.log = [&](const std::string& line) { say("modem: " + line); };
    }
    // The modem: its flash loader, answering upload requests until the line goes down or it is stopped.
    modemsim::FlashImage flash;
    std::vector<modemsim::UploadReport> reports;
    VirtualCable cable([&](modemsim::ModemLine& line) {
        modemsim::ServeUploads(line, modemConfig, flash, [&](modemsim::UploadReport& report, auto) {
            reports.push_back(report);
            return true;
        });
    });

    tracedCable = &cable;

    // The program: the upload session every front end runs, ticked at the pace its engine asks for, told
    // of each arrival at once, with its side files where the plan has them.
    const SideFolder folder(plan);
    const std::vector<std::uint8_t> image = PlanImage(plan);
    const std::string imagePath = (folder.Path() / "campaign.vxf").string();
    WriteFile(imagePath, image);
    std::optional<bool> portOpened;  // once the engine has reported the port
    SideFileResults files{.capturePath = CapturePath(plan, folder, static_cast<bool>(trace)),
                          .historyPath = HistoryPath(plan, folder)};
    session::UploadSession session({
        .Program = "fault-campaign",
        .Clock = [&cable] { return kTenOClock + ToSeconds(cable.Now()); },
        .CapturePath = files.capturePath,
        .HistoryFile = files.historyPath,
        .Limits = plan.limits,
        .WallClock = [] { return history::WallClock::time_point(std::chrono::hours(24 * 365 * 56)); },
        .Events =
            [&](const session::SessionEvent& event) {
                if (const auto* port = std::get_if<upload::events::PortReport>(&event)) {
                    portOpened = port->Opened;
                } else if (const auto* ended = std::get_if<upload::events::UploadEnded>(&event)) {
                    if (run.result) {
                        run.breaches.push_back("the upload ended twice");
                    }
                    run.result = ended->Result;
                } else if (const auto* concluded = std::get_if<session::UploadConcluded>(&event)) {
                    files.concluded = *concluded;
                }
            },
        .Warning = [&files](session::SideProblem problem,
                            const std::string&) { files.warnings.push_back(problem); },
        .Line = &cable.Program(),
    });
    if (session.Capture()) {
        try {
            session.Capture()->ToggleCapture();
        } catch (const capture::CaptureError&) {
            files.warnings.push_back(session::SideProblem::kCaptureFile);
        }
    }
    session.UseImage({std::make_shared<const std::vector<std::uint8_t>>(image), imagePath,
                      static_cast<std::int32_t>(plan.chunks.size()), "", imagePath});
    if (plan.pullAfterProgramBytes) {
        cable.PullOutAfterProgramBytes(*plan.pullAfterProgramBytes);
    }
    session.OpenPort({1, "", "COM1"}, plan.baud);

    const VirtualTime bound = FromSeconds(UploadBound(plan));
    VirtualTime nextTick = cable.Now() + std::chrono::milliseconds(session.TickIntervalMs());
    std::optional<VirtualTime> startedAt;
    std::optional<VirtualTime> endedAt;
    std::uint64_t writtenAtEnd = 0;
    VirtualTime stopAt = kNever;
    VirtualTime replaceImageAt = kNever;
    for (;;) {
        const VirtualTime due = std::min({nextTick, stopAt, replaceImageAt});
        cable.SetHorizon(std::min(due, cable.ProgramArrival()));
        cable.RunModem();
        cable.AdvanceTo(std::min({due, cable.ProgramArrival(), cable.ModemDue()}));
        const VirtualTime now = cable.Now();
        if (cable.ProgramArrival() <= now) {
            session.Receive();
        }
        if (stopAt <= now) {
            stopAt = kNever;
            session.ReturnToStart();
        }
        if (replaceImageAt <= now) {
            replaceImageAt = kNever;
            WriteFile(imagePath, std::vector<std::uint8_t>(image.size(), 0x5A));
        }
        if (nextTick <= now) {
            session.Tick();
            nextTick = now + std::chrono::milliseconds(session.TickIntervalMs());
            if (!startedAt && portOpened) {
                if (!*portOpened) {
                    run.breaches.push_back("the port did not open");
                    break;
                }
                session.StartUpload(upload::UploadRequest::kBulk, std::nullopt);
                startedAt = now;
                if (plan.stopAfterSeconds)
                    stopAt = now + FromSeconds(*plan.stopAfterSeconds);
                if (plan.replaceImageAfterSeconds)
                    replaceImageAt = now + FromSeconds(*plan.replaceImageAfterSeconds);
            }
        }
        if (run.result && !endedAt) {
            endedAt = now;
            writtenAtEnd = cable.ProgramBytesWritten();
        }
        if (endedAt && now >= *endedAt + kAfterEnd) {
            break;
        }
        if (startedAt && !endedAt && now - *startedAt > bound) {
            run.breaches.push_back("the upload outlived the sum of its limits (" +
                                   std::to_string(ToSeconds(bound)) + " s)");
            break;
        }
    }
    // The operator closes the program: the port closes and the capture file is written out.
    session.Close();
    if (trace && files.capturePath && plan.capture != SideFile::kFailing) {
        trace("capture log:");
        std::ifstream capture(*files.capturePath, std::ios::binary);
        for (std::string line; std::getline(capture, line);) trace(line);
    }
    cable.StopModem();
    if (!cable.ModemFailure().empty()) {
        run.breaches.push_back("the simulated modem failed: " + cable.ModemFailure());
    }
    if (!run.result) {
        return run;
    }
    run.virtualSeconds = ToSeconds(*endedAt - *startedAt);

    // Nothing reaches the modem once the upload has ended.
    if (cable.ProgramBytesWritten() != writtenAtEnd) {
        run.breaches.push_back(std::to_string(cable.ProgramBytesWritten() - writtenAtEnd) +
                               " bytes went to the modem after the upload had ended");
    }
    // The end the plan makes inevitable, where it makes one.
    const upload::UploadOutcome outcome = run.result->Outcome;
    if (const auto inevitable = InevitableOutcome(plan); inevitable && *inevitable != outcome) {
        run.breaches.push_back("ended as " + history::OutcomeName(outcome) + ", not as " +
                               history::OutcomeName(*inevitable) + ": " + run.result->Detail);
    }
    // Every block the modem stored is the image's block for its address, and complete means the whole image.
    const std::vector<std::uint8_t> expected = ExpectedFlash(plan);
    const std::vector<std::uint8_t>& stored = flash.bytes();
    for (std::size_t chunk = 0; chunk < image::kModemFlash.Chunks(); ++chunk) {
        const auto at = static_cast<std::ptrdiff_t>(chunk * image::kChunkSize);
        const auto size = static_cast<std::ptrdiff_t>(image::kChunkSize);
        const bool erased = std::all_of(stored.begin() + at, stored.begin() + at + size,
                                        [](std::uint8_t byte) { return byte == image::kErasedByte; });
        if (!erased && !std::equal(stored.begin() + at, stored.begin() + at + size, expected.begin() + at)) {
            run.breaches.push_back("the flash holds at chunk " + std::to_string(chunk) +
                                   " what the image does not");
            break;
        }
    }
    if (outcome == upload::UploadOutcome::kComplete) {
        if (stored != expected) {
            run.breaches.push_back("complete, but the flash is not the image");
        }
        if (reports.empty() || reports.back().outcome != modemsim::UploadOutcome::kComplete) {
            run.breaches.push_back("complete, but the modem did not thank for the whole image");
        }
    }
    if (run.result->BlocksSent > static_cast<std::int32_t>(plan.chunks.size())) {
        run.breaches.push_back("more blocks sent than the image has");
    }
    CheckSideFiles(plan, cable, *run.result, files, run.breaches);
    return run;
}

}  // namespace flash410::campaign
