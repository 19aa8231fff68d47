// Turns what the upload session reports into what the main window shows: captions, colours, visibility,
// the gauge and the timer's interval, in the tick the event happens.
#pragma once

#include "session/upload_session.h"
#include "upload/upload_events.h"
#include "window_model/screen_state.h"

namespace flash410::window_model {

class UploadPresenter {
  public:
    explicit UploadPresenter(ScreenState& screen) : screen_(screen) {}

    void Show(const session::SessionEvent& event);

  private:
    void On(const upload::events::PortReport& report);
    void On(const upload::events::UploadStarting&);
    void On(const upload::events::TickIntervalNeeded& interval);
    void On(const upload::events::ReadySeen&);
    void On(const upload::events::GoSent&);
    void On(const upload::events::ErasingSeen&);
    void On(const upload::events::EraseErrorLine& line);
    void On(const upload::events::EraseComplete&);
    void On(const upload::events::BlockLoopStarted& loop);
    void On(const upload::events::BlockSent& sent);
    void On(const upload::events::BlockAskedAgain& asked);
    void On(const upload::events::SilenceResent& silence);
    void On(const upload::events::ModemFailed&);
    void On(const upload::events::UploadDoneSent&);
    void On(const upload::events::UploadFinishing&);
    // The end is shown once the session has said it in words.
    void On(const upload::events::UploadEnded&) {}
    void On(const session::UploadConcluded& concluded);

    void ShowComplete(const session::EndWords& words);
    void ShowHalted(const session::EndWords& words);
    void ShowTimedOut(const session::EndWords& words);
    // The upload cannot go on: say why and offer Repeat Upload and Go Back to Start.
    void ShowStopped(const session::EndWords& words);

    ScreenState& screen_;
};

}  // namespace flash410::window_model
