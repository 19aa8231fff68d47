// Turns what the upload engine reports into what the main window shows: captions, colours, visibility,
// the gauge and the timer's interval, in the tick the event happens.
#pragma once

#include "screen_state.h"
#include "upload_events.h"

namespace uflash8 {

class UploadPresenter {
  public:
    explicit UploadPresenter(ScreenState& screen) : screen_(screen) {}

    void Show(const UploadEvent& event);

  private:
    void Show(const events::PortReport& report);
    void Show(const events::UploadStarting&);
    void Show(const events::TickIntervalNeeded& interval);
    void Show(const events::ReadySeen&);
    void Show(const events::GoSent&);
    void Show(const events::ErasingSeen&);
    void Show(const events::EraseErrorLine& line);
    void Show(const events::EraseComplete&);
    void Show(const events::BlockLoopStarted& loop);
    void Show(const events::BlockSent& sent);
    void Show(const events::BlockAskedAgain& asked);
    void Show(const events::SilenceResent& silence);
    void Show(const events::ModemFailed&);
    void Show(const events::UploadDoneSent&);
    void Show(const events::UploadFinishing&);
    void Show(const events::UploadEnded& ended);

    void ShowComplete(const UploadResult& result);
    void ShowHalted(const UploadResult& result);
    void ShowTimedOut(const UploadResult& result);
    // The upload cannot go on: say why and offer Repeat Upload and Go Back to Start.
    void ShowStopped(const std::string& reason);

    ScreenState& screen_;
};

}  // namespace uflash8
