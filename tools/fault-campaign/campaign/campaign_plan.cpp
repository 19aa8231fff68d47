#include "campaign/campaign_plan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <sstream>

namespace flash410::campaign {
namespace {

constexpr double kUploadTickSeconds = 0.05;    // the engine's pace once READY has come
constexpr double kHandshakeTickSeconds = 0.5;  // and before it
// The modem's longest reply, "ERASE COMPLETE" and its line end, with a few bytes of noise.
constexpr double kLongestReply = 20;
// How many of the modem's replies may come in one wait before their pace decides whether it runs out.
constexpr double kSlowRepliesInAWait = 4;
// How near its limit a wait may come before the replies' own delays decide whether it runs out.
constexpr double kWaitMargin = 1.0;

class Draw {
  public:
    Draw(std::uint64_t seed, std::uint64_t number) {
        std::seed_seq sequence{seed, seed >> 32, number, number >> 32};
        random_.seed(sequence);
    }
    bool Chance(double probability) { return std::bernoulli_distribution(probability)(random_); }
    int Between(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
    double Real(double low, double high) { return std::uniform_real_distribution(low, high)(random_); }
    std::uint64_t Word() { return random_(); }
    template <typename T>
    T OneOf(std::initializer_list<T> choices) {
        return *(choices.begin() + Between(0, static_cast<int>(choices.size()) - 1));
    }
    std::mt19937_64& Engine() { return random_; }

  private:
    std::mt19937_64 random_;
};

// A silence below, at or above the wait limit, or anywhere up to twice it.
std::chrono::milliseconds SilenceLength(Draw& draw, double waitSeconds) {
    const double tick = kUploadTickSeconds;
    double seconds = 0;
    switch (draw.Between(0, 3)) {
        case 0:
            seconds = waitSeconds - tick;
            break;
        case 1:
            seconds = waitSeconds;
            break;
        case 2:
            seconds = waitSeconds + tick;
            break;
        default:
            seconds = draw.Real(0, 2 * waitSeconds);
            break;
    }
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::max(0.0, seconds) * 1000));
}

}  // namespace

double ReplySeconds(const CampaignPlan& plan) {
    const modemsim::FaultPlan& faults = plan.modem.faults;
    const double split = faults.splitReplies > 0
                             ? kLongestReply / faults.splitReplies * faults.splitPause.count() / 1000.0
                             : 0;
    return plan.modem.replyDelay.count() / 1000.0 + split + kLongestReply * 10.0 / plan.baud;
}

double ReplyWaitSeconds(const upload::UploadLimits& limits) {
    return limits.ReplyWaitTicks * kUploadTickSeconds;
}

CampaignPlan DrawPlan(std::uint64_t seed, std::uint64_t number) {
    Draw draw(seed, number);
    CampaignPlan plan;
    plan.seed = seed;
    plan.number = number;

    // Image sizes spread evenly over their orders of magnitude, 1 to 4096 blocks, at chunks anywhere.
    const auto blocks =
        static_cast<std::uint32_t>(std::clamp(std::exp(draw.Real(0, std::log(4096.0))), 1.0, 4096.0));
    std::vector<std::uint32_t> all(4096);
    for (std::uint32_t chunk = 0; chunk < all.size(); ++chunk) all[chunk] = chunk;
    std::shuffle(all.begin(), all.end(), draw.Engine());
    plan.chunks.assign(all.begin(), all.begin() + blocks);
    std::sort(plan.chunks.begin(), plan.chunks.end());
    plan.contentSeed = draw.Word();
    plan.baud = draw.OneOf({9600, 19200, 38400, 57600, 115200});

    // The window's limits (a silent block wait sends the block again) or the command line's (it times
    // out, and ten requests in a row for one block end the upload).
    if (draw.Chance(0.5)) {
        plan.limits.ReplyWaitTicks = draw.Between(1, 30) * 20;
        plan.limits.ResendOnSilence = false;
        plan.limits.RepeatedRequestLimit = 10;
    }
    const double wait = ReplyWaitSeconds(plan.limits);

    modemsim::FaultPlan& faults = plan.modem.faults;
    faults.readyOnRequest = draw.Chance(0.2) ? draw.Between(2, 6) : 1;
    faults.neverReady = draw.Chance(0.03);
    faults.eraseErrors = draw.Chance(0.1) ? draw.Between(1, 3) : 0;
    faults.corruptEvery = draw.Chance(0.15) ? draw.Between(2, 7) : 0;
    faults.shortForms = draw.Chance(0.2);
    if (draw.Chance(0.1))
        faults.unknownReplyAfter = draw.Between(0, static_cast<int>(blocks) - 1);
    if (draw.Chance(0.1))
        faults.failAfter = draw.Between(0, static_cast<int>(blocks) - 1);
    const int silences = draw.Chance(0.3) ? draw.Between(1, 2) : 0;
    for (int i = 0; i < silences; ++i) {
        modemsim::Silence silence;
        silence.point = draw.OneOf(
            {modemsim::SilencePoint::kBeforeReady, modemsim::SilencePoint::kBeforeErasing,
             modemsim::SilencePoint::kBeforeEraseComplete, modemsim::SilencePoint::kBeforeBlockRequest,
             modemsim::SilencePoint::kBeforeThankYou});
        silence.afterBlocks = draw.Between(0, static_cast<int>(blocks) - 1);
        silence.duration = SilenceLength(draw, wait);
        faults.silences.push_back(silence);
    }
    if (draw.Chance(0.3)) {
        faults.splitReplies = draw.Between(1, 8);
        faults.splitPause = std::chrono::milliseconds(draw.Between(0, 200));
    }
    faults.noiseBytes = draw.Chance(0.1) ? draw.Between(1, 5) : 0;
    plan.modem.eraseDuration = std::chrono::milliseconds(draw.Chance(0.5) ? draw.Between(0, 60000) : 0);
    plan.modem.replyDelay = std::chrono::milliseconds(draw.Between(0, 16));

    // A block request lost on the line, or said twice, at any block or after the last. Drawn apart, so
    // that the plans drawn before these faults were stay as they were.
    Draw requestFaults(~seed, number);
    if (requestFaults.Chance(0.1))
        faults.dropRequestAfter = requestFaults.Between(0, static_cast<int>(blocks));
    if (requestFaults.Chance(0.1))
        faults.doubleRequestAfter = requestFaults.Between(0, static_cast<int>(blocks));
    // A request said twice is told from the next block's answer by when it begins: before that block can
    // have crossed the wire. A modem whose reply line takes longer than a block does (pieces with pauses)
    // says it again too late for that, and no end of the line can tell it from an answer.
    if (faults.splitReplies > 0 && faults.splitPause.count() / 1000.0 >= 10.0 * 1031 / plan.baud) {
        faults.doubleRequestAfter.reset();
    }
    // Nor can it be told where the modem then falls silent before the block's own answer: an answer that
    // began early and that nothing follows is what a line that does not keep its baud's pace gives (an
    // emulated adapter, a virtual null modem), and the upload takes it as the block's.
    for (const modemsim::Silence& silence : faults.silences) {
        if (faults.doubleRequestAfter && silence.point == modemsim::SilencePoint::kBeforeBlockRequest &&
            silence.afterBlocks == *faults.doubleRequestAfter + 1) {
            faults.doubleRequestAfter.reset();
        }
    }

    // The capture log and the history written, or failing, and the image file replaced mid-upload. Drawn
    // apart too.
    Draw sideFiles(seed, ~number);
    const auto sideFile = [&sideFiles](double written, double failing) {
        const double chance = sideFiles.Real(0, 1);
        return chance < written             ? SideFile::kWritten
               : chance < written + failing ? SideFile::kFailing
                                            : SideFile::kNone;
    };
    plan.capture = sideFile(0.15, 0.05);
    plan.history = sideFile(0.2, 0.05);
    if (sideFiles.Chance(0.1)) {
        plan.replaceImageAfterSeconds = sideFiles.Real(0, 5 + blocks * 10.0 * 1043 / plan.baud);
    }

    // The cable pulled out at any byte the program would send, or the operator leaving at any moment.
    const double blockSeconds = 10.0 * 1043 / plan.baud;
    if (draw.Chance(0.1)) {
        plan.pullAfterProgramBytes = static_cast<std::uint64_t>(draw.Real(0, 1.05) * (blocks * 1043.0 + 40));
    }
    if (draw.Chance(0.1)) {
        plan.stopAfterSeconds = draw.Real(0, 5 + blocks * blockSeconds * 1.1);
    }
    return plan;
}

std::optional<upload::UploadOutcome> InevitableOutcome(const CampaignPlan& plan) {
    if (plan.pullAfterProgramBytes || plan.stopAfterSeconds) {
        return std::nullopt;
    }
    const modemsim::FaultPlan& faults = plan.modem.faults;
    const bool neverReady = faults.neverReady || faults.readyOnRequest > plan.limits.HandshakeTries;
    if (neverReady) {
        return upload::UploadOutcome::kTimedOut;
    }
    // A wait that the modem's silence or its erase makes as long as its limit, or longer, may end the
    // upload as timed out: only a silent block wait is met by sending the block again, where the limits
    // say so. The handshake asks for READY for a fixed number of tries.
    const double wait = ReplyWaitSeconds(plan.limits) - kWaitMargin;
    // Replies so slow that a few of them fill a wait (the erase's lines, READY to requests that queued up)
    // leave the end open.
    if (kSlowRepliesInAWait * ReplySeconds(plan) >= wait) {
        return std::nullopt;
    }
    const double handshake = plan.limits.HandshakeTries * kHandshakeTickSeconds - kWaitMargin;
    // Silences at one point follow one another.
    std::map<std::pair<modemsim::SilencePoint, int>, double> quiet;
    for (const modemsim::Silence& silence : faults.silences) {
        const int afterBlocks =
            silence.point == modemsim::SilencePoint::kBeforeBlockRequest ? silence.afterBlocks : 0;
        quiet[{silence.point, afterBlocks}] += silence.duration.count() / 1000.0;
    }
    // The wait for ERASING holds the READYs still owed to requests that queued up at the modem (while it
    // was silent, and while a slow READY came in), then any silence, then ERASING itself; the wait for the
    // erase's end holds the erase, any silence, and its line.
    const double reply = ReplySeconds(plan);
    double erasingWait = reply / kHandshakeTickSeconds * reply + reply;
    double eraseWait = plan.modem.eraseDuration.count() / 1000.0 + reply;
    for (const auto& [where, seconds] : quiet) {
        switch (where.first) {
            case modemsim::SilencePoint::kBeforeReady:
                if (seconds >= handshake) {
                    return std::nullopt;
                }
                erasingWait += seconds / kHandshakeTickSeconds * reply;
                break;
            case modemsim::SilencePoint::kBeforeErasing:
                erasingWait += seconds;
                break;
            case modemsim::SilencePoint::kBeforeBlockRequest:
                if (!plan.limits.ResendOnSilence && seconds >= wait)
                    return std::nullopt;
                break;
            case modemsim::SilencePoint::kBeforeEraseComplete:
                eraseWait += seconds;
                break;
            default:
                if (seconds >= wait)
                    return std::nullopt;
                break;
        }
    }
    if (erasingWait >= wait || eraseWait >= wait) {
        return std::nullopt;
    }
    // A lost request leaves the wait for it to run out, which only the window's limits survive; whether
    // FAILED comes first depends on the blocks refused before it, and a request said twice may stand in
    // for it.
    if (faults.dropRequestAfter && !plan.limits.ResendOnSilence) {
        return faults.failAfter || faults.doubleRequestAfter
                   ? std::nullopt
                   : std::optional(upload::UploadOutcome::kTimedOut);
    }
    if (faults.failAfter) {
        return upload::UploadOutcome::kModemFailed;
    }
    return upload::UploadOutcome::kComplete;
}

std::string DescribePlan(const CampaignPlan& plan) {
    const modemsim::FaultPlan& faults = plan.modem.faults;
    std::ostringstream text;
    text << "seed " << plan.seed << " plan " << plan.number << ": " << plan.chunks.size() << " blocks at "
         << plan.baud << " baud; limits: wait " << ReplyWaitSeconds(plan.limits) << " s, "
         << (plan.limits.ResendOnSilence ? "resend on silence" : "time out") << ", repeats "
         << plan.limits.RepeatedRequestLimit << "; READY on request " << faults.readyOnRequest
         << (faults.neverReady ? " (never)" : "") << "; erase " << plan.modem.eraseDuration.count() << " ms, "
         << faults.eraseErrors << " errors; corrupt every " << faults.corruptEvery << "; short forms "
         << faults.shortForms << "; unknown after " << faults.unknownReplyAfter.value_or(-1)
         << "; FAILED after " << faults.failAfter.value_or(-1) << "; request lost after "
         << faults.dropRequestAfter.value_or(-1) << "; doubled after "
         << faults.doubleRequestAfter.value_or(-1) << "; split " << faults.splitReplies << " bytes, pause "
         << faults.splitPause.count() << " ms; noise " << faults.noiseBytes << "; reply delay "
         << plan.modem.replyDelay.count() << " ms";
    for (const modemsim::Silence& silence : faults.silences) {
        text << "; silence " << silence.duration.count() << " ms at point " << static_cast<int>(silence.point)
             << " after block " << silence.afterBlocks;
    }
    if (plan.pullAfterProgramBytes)
        text << "; pulled after " << *plan.pullAfterProgramBytes << " bytes";
    if (plan.stopAfterSeconds)
        text << "; stopped at " << *plan.stopAfterSeconds << " s";
    const auto sideFile = [](SideFile file) {
        return file == SideFile::kWritten ? "written" : file == SideFile::kFailing ? "failing" : "none";
    };
    text << "; capture " << sideFile(plan.capture) << "; history " << sideFile(plan.history);
    if (plan.replaceImageAfterSeconds)
        text << "; image file replaced at " << *plan.replaceImageAfterSeconds << " s";
    return text.str();
}

}  // namespace flash410::campaign
