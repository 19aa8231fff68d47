// The upload engine: opens the port, leads the dialogue with the modem's flash loader step by step and
// sends the blocks of the upload image. Every front end drives it by the timer's tick and the line's
// receive notification. It keeps the dialogue's state to itself, reports what happens as events, writes
// what it sends and hears to the capture log it is given, and knows nothing of any screen.
//
// The library's one error form: every upload ends with an UploadResult in the UploadEnded event, whatever
// went wrong; nothing is thrown out of the engine.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "image/image_layout.h"
#include "image/upload_image.h"
#include "platform/time_of_day.h"
#include "serial/serial_line.h"
#include "upload/dialogue_state.h"
#include "upload/dialogue_step.h"
#include "upload/reply_scanner.h"
#include "upload/upload_events.h"
#include "upload/upload_result.h"

namespace flash410::upload {

// The capture log as the engine writes it; a front end without a log leaves both empty.
struct UploadCapture {
    std::function<bool()> Enabled;
    std::function<void(const std::string& text, const std::string& tag)> WriteLine;
};

// How long the engine waits and how often it tries before it gives an upload up. The defaults are the
// window's: a silent block wait sends the block again, and a modem may ask for one block as often as it
// likes.
struct UploadLimits {
    // Upload requests sent while waiting for READY, one per handshake tick.
    std::int32_t HandshakeTries = 250;
    // Ticks of the upload interval that a wait for a reply lasts.
    std::int32_t ReplyWaitTicks = 2000;
    // What a block wait that ran out does: send the block again, or end the upload as timed out.
    bool ResendOnSilence = true;
    // Requests for the same block in a row after which the upload ends; 0 for no limit.
    std::int32_t RepeatedRequestLimit = 0;
};

struct UploadEngineEnvironment {
    serial::SerialLine* serial = nullptr;
    platform::TimeOfDayClock clock;
    UploadCapture capture;
    UploadEventSink events;
    UploadLimits limits;
};

// What the modem is asked to take: main software and configuration, or the bulk image.
enum class UploadRequest { kBulk, kMainAndConfiguration };

// The request as it goes on the line, its CR included: "UP BULK\r" or "UP MC\r".
inline std::string RequestLine(UploadRequest request) {
    return request == UploadRequest::kMainAndConfiguration ? "UP MC\r" : "UP BULK\r";
}

// When received bytes are taken: between ticks, or within one, while the tick lets the front end's pending
// notifications through before its step.
enum class Arrival { kBetweenTicks, kWithinTick };

class UploadEngine {
  public:
    explicit UploadEngine(UploadEngineEnvironment environment);

    // Where the dialogue stands; only the engine's own calls change it.
    const DialogueState& State() const { return state_; }

    // Opens the port at the baud over the next ticks and reports whether it opened; the baud stays the
    // upload's.
    void OpenPort(std::uint8_t port, std::int32_t baud);
    // Begins an upload of the image in use; the handshake runs from the next tick.
    void StartUpload(UploadRequest request);
    // The operator leaves: an upload under way ends as stopped.
    void Stop();
    // Back to the start: an upload under way ends as stopped, whatever else was under way (the port's
    // opening) is dropped, and so is what was received.
    void ReturnToStart();

    // The tick: the "[pn]" line with the number of the step about to be performed, then the step, then the
    // steps due at once.
    void Tick();
    // The line's receive notification: what it received joins the reply buffer, and the "[in]" line shows
    // the whole buffer. A complete awaited reply that arrives between ticks is acted on at once (after its
    // "[pn]" line), so that the next block does not wait for the tick; within a tick, the tick's own step
    // takes it.
    void Receive(Arrival arrival = Arrival::kBetweenTicks);

    // The upload image, held whole since it was checked or written: the bytes checked are the bytes sent.
    // Its name and block count stay once it is released, for what the run panel and the errors say.
    void UseImage(image::UploadImageBytes image, std::string name, std::int32_t blockCount);
    void ReleaseImage();
    // The one buffer in which blocks are built for the upload image and from which they are sent.
    image::BlockBuffer& Blocks() { return blockBuffer_; }

    std::int32_t TickIntervalMs() const { return tickIntervalMs_; }

  private:
    void PerformStep();
    // Whether the step under way waits for a reply that the receive buffer now holds; a step performed
    // on its reply counts no tick of its wait.
    bool AwaitedReplyArrived() const;
    void PerformStepOnReply();
    // Whether the step under way waits for nothing (neither a reply nor the pace of the handshake).
    bool StepWaitsForNothing() const;
    // A step that waits for nothing, or a wait whose reply is already in the buffer, follows the step
    // before it at once, each with its "[pn]" line: GO goes as soon as READY is seen, and the first block
    // as soon as ERASE COMPLETE and its request are, not ticks later. `performed` is the step just
    // performed; the chain stops at a step that did not move on.
    void PerformStepsDue(DialogueStep performed);
    void WriteStepLine();

    // The operations the steps are made of. Every byte for the modem goes through SendToModem, which
    // writes it to the capture log as "[out]" too.
    void SendToModem(const std::string& text);
    void SendCommand(const std::string& text, DialogueStep next);
    // The text and its carriage return in one write, after what was received before it is dropped.
    void SendText(const std::string& text);
    void WaitForReply(const std::string& expected, DialogueStep timeoutStep, DialogueStep nextStep,
                      std::string& reply);
    // What a step that waits for a reply line looks for in it; nothing for the other steps.
    static std::optional<std::string> AwaitedReply(DialogueStep step);
    void PerformDialogueStep();
    void PollPortOpen();
    void ReportPort();
    void SendUploadRequest();
    void RepeatUploadRequest();
    void AwaitReady();
    void SendGo();
    void AwaitErasing();
    void CheckErasing();
    void AwaitEraseResult();
    void CheckEraseResult();
    void AwaitErrorBlock();
    void ShowErrorBlock();
    void StartBlockLoop();
    void AwaitBlockRequest();
    void AnswerBlockRequest();
    // Keeps an answer that another answer may still follow, for that many seconds and a margin; early: it
    // began before the last block sent had crossed the wire.
    void HoldAnswer(double seconds, bool early);
    bool SettleWindowPassed() const;
    void ActOnBlockRequest(BlockRequest request);
    void SendUploadDone();
    void AwaitThankYou();
    void FinishUpload();
    void ResendBlock();

    // False, with the upload ended, when the image held has no next block.
    bool SendNextBlock();
    void SendCurrentBlock();
    void CaptureBlock();
    // A block's time on the wire at the line's rate, and whether the last block sent was still crossing
    // it at that time.
    double BlockWireSeconds() const;
    bool BlockOnTheWire(double time) const;
    // The seconds from one reading of the clock to a later one.
    static double SecondsBetween(double earlier, double later);

    void NeedTickInterval(std::int32_t intervalMs);
    void End(UploadOutcome outcome, std::string detail = {});
    void Capture(const std::string& text, const std::string& tag);
    void Report(const UploadEvent& event);
    double Now() const;

    DialogueState state_;
    UploadEngineEnvironment environment_;
    std::uint8_t port_ = 0;
    UploadRequest request_ = UploadRequest::kBulk;
    bool uploading_ = false;
    bool goSent_ = false;
    std::int32_t tickIntervalMs_ = 500;
    image::UploadImageBytes image_;
    std::string imageName_;
    std::uint64_t imagePosition_ = 0;  // where the next block is taken from the upload image
    // How often the modem has asked for the block last sent again; a request for a new block starts the
    // count afresh.
    std::int32_t repeatedRequests_ = 0;
    std::int32_t blocksAskedAgain_ = 0;
    // Copies of a block sent again on silence whose answers may still come, when the last one went, and
    // when the last block sent has crossed the wire (the clock's seconds): no answer to it can come before.
    std::int32_t answersOwedToCopies_ = 0;
    double copySentAt_ = 0;
    double blockOnWireUntil_ = 0;
    // An answer that another answer may still follow, since when, for how long it is held, and whether it
    // began before the last block sent had crossed the wire.
    std::optional<std::string> heldAnswer_;
    double heldAt_ = 0;
    double heldLineSeconds_ = 0;  // from its first byte to its line end
    double settleSeconds_ = 0;
    bool heldEarly_ = false;
    // Whether the line keeps the pace of its baud, as a serial cable does, so that no answer to a block
    // begins before the block has crossed: as the line says, until an answer shows otherwise.
    bool linePaced_ = false;
    // When the first byte of the reply line now in the buffer came (the clock's seconds).
    double replyBegunAt_ = 0;
    // The step under way runs because its reply arrived, not because the tick came.
    bool onReply_ = false;
    image::BlockBuffer blockBuffer_{};
};

}  // namespace flash410::upload
