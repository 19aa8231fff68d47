// What every front end drives the upload engine by: the timer's tick and the bytes the line receives, each
// written to the capture log as it comes, so that the window and flash410-cli lead and log the dialogue
// alike. A front end gives its commands (open the port, start, stop, the image) to the engine it holds.
#pragma once

#include <string>

#include "serial/serial_line.h"
#include "upload/dialogue_state.h"
#include "upload/modem_line.h"
#include "upload/upload_engine.h"

namespace flash410::upload {

// When received bytes are taken: between ticks, or within one, while the tick lets the front end's pending
// notifications through before its step.
enum class Arrival { kBetweenTicks, kWithinTick };

class UploadDriver {
  public:
    explicit UploadDriver(UploadEngineEnvironment environment);

    UploadEngine& Engine() { return engine_; }
    const UploadEngine& Engine() const { return engine_; }
    const DialogueState& State() const { return engine_.State(); }

    // The tick: the "[pn]" line with the number of the step about to be performed, then the step, then
    // the steps due at once.
    void Tick();
    // The line's receive notification: what it received joins the reply buffer, and the "[in]" line shows
    // the whole buffer. A complete awaited reply that arrives between ticks is acted on at once (after its
    // "[pn]" line), so that the next block does not wait for the tick; within a tick, the tick's own step
    // takes it.
    void Receive(Arrival arrival = Arrival::kBetweenTicks);

  private:
    // A step that waits for nothing, or a wait whose reply is already in the buffer, follows the step
    // before it at once, each with its "[pn]" line: GO goes as soon as READY is seen, and the first block
    // as soon as ERASE COMPLETE and its request are, not ticks later. `performed` is the step just
    // performed; the chain stops at a step that did not move on.
    void PerformStepsDue(DialogueStep performed);
    void WriteStepLine();
    void Capture(const std::string& text, const std::string& tag);

    serial::SerialLine* serial_;
    UploadCapture capture_;
    UploadEngine engine_;
};

}  // namespace flash410::upload
