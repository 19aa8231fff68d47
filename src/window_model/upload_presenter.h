// Turns what the upload engine reports into what the main window shows: captions, colours, visibility,
// the gauge and the timer's interval, in the tick the event happens.
#pragma once

#include "upload/upload_events.h"
#include "window_model/screen_state.h"

namespace uflash8 {

class UploadPresenter {
  public:
    explicit UploadPresenter(ScreenState& screen) : screen_(screen) {}

    void Show(const UploadEvent& event);

  private:
    void On(const events::PortReport& report);
    void On(const events::UploadStarting&);
    void On(const events::TickIntervalNeeded& interval);
    void On(const events::ReadySeen&);
    void On(const events::GoSent&);
    void On(const events::ErasingSeen&);
    void On(const events::EraseErrorLine& line);
    void On(const events::EraseComplete&);
    void On(const events::BlockLoopStarted& loop);
    void On(const events::BlockSent& sent);
    void On(const events::BlockAskedAgain& asked);
    void On(const events::SilenceResent& silence);
    void On(const events::ModemFailed&);
    void On(const events::UploadDoneSent&);
    void On(const events::UploadFinishing&);
    void On(const events::UploadEnded& ended);

    void ShowComplete(const UploadResult& result);
    void ShowHalted(const UploadResult& result);
    void ShowTimedOut(const UploadResult& result);
    // The upload cannot go on: say why and offer Repeat Upload and Go Back to Start.
    void ShowStopped(const std::string& reason);

    ScreenState& screen_;
};

}  // namespace uflash8
