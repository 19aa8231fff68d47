// Plays the modem's side of a whole upload from arbitrary input, on a virtual clock, and holds the upload
// engine to its promises whatever the modem says and whenever it says it:
// - it writes nothing but the upload request, GO, UPLOAD DONE and the image's blocks, whole, first sent in
//   the image's order;
// - it calls an upload complete only once every block has gone, UPLOAD DONE after them, and THANK YOU has
//   come since; it says FAILED only when the modem did;
// - an upload ends once, nothing is written after it ends, and a pulled cable ends it as lost;
// - with the command line's limits an upload ends by itself within its limits once the modem falls silent.
//
// The input: a byte for the image's blocks (1-4), a byte for the limits (the window's, or the command
// line's with a wait of 1-4 s) and whether the line says it keeps its baud's pace, then the modem's writes,
// each a byte of delay, a byte of length and that many bytes. A delay with its top bit set counts from the
// engine's first write after the modem's previous write, so that a write can answer; the rest is tens of
// milliseconds. A length of 255 pulls the cable.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "image/image_layout.h"
#include "support/fake_serial_line.h"
#include "support/firmware_files.h"
#include "upload/upload_engine.h"

namespace {

namespace upload = flash410::upload;
namespace image = flash410::image;

constexpr double kTenOClock = 10 * 3600.0;
constexpr double kStep = 0.01;  // the modem's delays count in these
constexpr std::uint8_t kPullCable = 255;
constexpr std::uint8_t kAnswers = 0x80;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

struct ModemWrite {
    bool answers = false;  // counts from the engine's next write
    double delay = 0;
    std::optional<std::string> bytes;  // none: the cable is pulled
};

// What the engine wrote, write by write: the commands, and the 1031-byte blocks between them.
std::vector<std::string> SplitWrites(const std::string& sent) {
    static const std::string kCommands[] = {"UP BULK\r", "GO\r", "UPLOAD DONE\r"};
    std::vector<std::string> writes;
    for (std::size_t at = 0; at < sent.size();) {
        const auto command =
            std::find_if(std::begin(kCommands), std::end(kCommands),
                         [&](const std::string& text) { return sent.compare(at, text.size(), text) == 0; });
        const std::size_t length = command != std::end(kCommands) ? command->size() : image::kBlockSize;
        writes.push_back(sent.substr(at, length));
        at += length;
    }
    return writes;
}

std::vector<ModemWrite> ReadScript(const std::uint8_t* data, std::size_t size) {
    std::vector<ModemWrite> script;
    std::size_t at = 0;
    while (at + 2 <= size) {
        ModemWrite write;
        write.answers = (data[at] & kAnswers) != 0;
        write.delay = (data[at] & ~kAnswers) * kStep;
        const std::uint8_t length = data[at + 1];
        at += 2;
        if (length != kPullCable) {
            const std::size_t taken = std::min<std::size_t>(length, size - at);
            write.bytes = std::string(reinterpret_cast<const char*>(data + at), taken);
            at += taken;
        }
        script.push_back(std::move(write));
    }
    return script;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const int blockCount = data[0] % 4 + 1;
    upload::UploadLimits limits;
    if (data[1] & 1) {
        limits.ReplyWaitTicks = 20 * (1 + (data[1] >> 1) % 4);
        limits.ResendOnSilence = false;
        limits.RepeatedRequestLimit = 10;
    }
    const std::vector<ModemWrite> script = ReadScript(data + 2, size - 2);
    const std::string imageBytes = flash410::test_support::UploadImageOfBlocks(blockCount);

    flash410::test_support::FakeSerialLine line;
    line.keepsPace = (data[1] & 0x80) != 0;
    double now = kTenOClock;
    std::optional<upload::UploadResult> result;
    std::optional<double> endedAt;
    std::size_t sentAtEnd = 0;
    upload::UploadEngine engine({
        .serial = &line,
        .clock = [&now] { return now; },
        .capture = {},
        .events =
            [&](const upload::UploadEvent& event) {
                if (const auto* ended = std::get_if<upload::events::UploadEnded>(&event)) {
                    Require(!result, "the upload ended twice");
                    result = ended->Result;
                    endedAt = now;
                    sentAtEnd = line.sent.size();
                }
            },
        .limits = limits,
    });
    engine.UseImage(std::make_shared<const std::vector<std::uint8_t>>(imageBytes.begin(), imageBytes.end()),
                    "fuzz.vxf", blockCount);
    engine.OpenPort(1, 115200);
    for (int tick = 0; tick < 3 && !line.Active(); ++tick) engine.Tick();
    Require(line.Active(), "the port did not open");
    engine.StartUpload(upload::UploadRequest::kBulk);

    // What the modem has said since UPLOAD DONE went, and whether it ever said FAILED.
    std::optional<std::string> sinceUploadDone;
    std::string everything;
    std::size_t next = 0;
    double lastModemWrite = now;
    int writesSeen = 0;
    std::optional<double> firstWriteSince;  // the engine's first write since the modem's last
    double nextTick = now + engine.TickIntervalMs() / 1000.0;
    double silentSince = now;
    std::optional<double> pulledAt;
    const double handshakeSeconds = limits.HandshakeTries * 0.5;
    const double waitSeconds = limits.ReplyWaitTicks * 0.05;
    // Past this the window's limits, which send a block again on every silence, are ended by a stop.
    const double giveUpAfterSilence = handshakeSeconds + 4 * waitSeconds + 5;

    while (!endedAt || now < *endedAt + 3) {
        // When the modem's next write is due; an answer waits for the engine's next write.
        std::optional<double> due;
        if (next < script.size()) {
            const ModemWrite& write = script[next];
            if (!write.answers) {
                due = lastModemWrite + write.delay;
            } else if (firstWriteSince) {
                due = *firstWriteSince + write.delay;
            }
        }
        if (due && *due <= nextTick) {
            now = std::max(now, *due);
            const ModemWrite& write = script[next++];
            lastModemWrite = now;
            writesSeen = line.writeCalls;
            firstWriteSince.reset();
            silentSince = now;
            if (!write.bytes) {
                line.opens = false;
                line.SetActive(false);
                pulledAt = pulledAt.value_or(now);
                continue;
            }
            if (sinceUploadDone) {
                *sinceUploadDone += *write.bytes;
            }
            everything += *write.bytes;
            line.incoming += *write.bytes;
            engine.Receive();
        } else {
            now = nextTick;
            engine.Tick();
            nextTick = now + engine.TickIntervalMs() / 1000.0;
            // UPLOAD DONE goes in a tick of its own, as its last write.
            if (!sinceUploadDone && line.sent.ends_with("UPLOAD DONE\r")) {
                sinceUploadDone = std::string();
            }
        }
        if (!firstWriteSince && line.writeCalls > writesSeen) {
            firstWriteSince = now;
        }
        if (!endedAt && now - silentSince > giveUpAfterSilence) {
            Require(limits.ResendOnSilence, "the upload outlived its limits after the modem fell silent");
            engine.Stop();
            Require(result && result->Outcome == upload::UploadOutcome::kStopped, "a stop did not end it");
        }
    }

    // What went to the modem.
    Require(line.sent.size() == sentAtEnd, "the engine wrote after the upload ended");
    int highestBlock = -1;
    bool uploadDoneAfterLast = false;
    for (const std::string& write : SplitWrites(line.sent)) {
        if (write == "UP BULK\r" || write == "GO\r") {
            continue;
        }
        if (write == "UPLOAD DONE\r") {
            uploadDoneAfterLast = highestBlock == blockCount - 1;
            continue;
        }
        Require(write.size() == image::kBlockSize, "a write that is neither a command nor a whole block");
        const auto found = std::search(imageBytes.begin(), imageBytes.end(), write.begin(), write.end());
        Require(found != imageBytes.end() && (found - imageBytes.begin()) % image::kBlockSize == 0,
                "a block that is not the image's");
        const int index = static_cast<int>((found - imageBytes.begin()) / image::kBlockSize);
        Require(index <= highestBlock + 1, "a block sent before the one ahead of it");
        highestBlock = std::max(highestBlock, index);
    }
    Require(result.has_value(), "the upload never ended");
    switch (result->Outcome) {
        case upload::UploadOutcome::kComplete:
            Require(highestBlock == blockCount - 1 && uploadDoneAfterLast, "complete without every block");
            Require(sinceUploadDone && sinceUploadDone->find("THANK YOU") != std::string::npos,
                    "complete without THANK YOU");
            break;
        case upload::UploadOutcome::kModemFailed:
            Require(everything.find("FAILED") != std::string::npos, "FAILED that the modem never said");
            break;
        default:
            break;
    }
    if (pulledAt && *pulledAt < *endedAt) {
        // The next tick sees it, and a tick comes every half second at the slowest.
        Require(*endedAt - *pulledAt <= 0.5 + 1e-9, "a pulled cable did not end the upload at once");
        Require(result->Outcome != upload::UploadOutcome::kComplete || sinceUploadDone,
                "complete after the cable was pulled before UPLOAD DONE");
    }
    Require(result->BlocksSent <= blockCount, "more blocks counted than the image has");
    return 0;
}
