#include "window_model/main_window_model.h"

#include <exception>

#include "image/preparation_error.h"
#include "upload/time_texts.h"
#include "window_model/port_settings_file.h"

namespace uflash8 {

UploadSequencer::UploadSequencer(CoreEnvironment environment)
    : environment_(std::move(environment)),
      screen_(DesignedScreen()),
      capture_(environment_.files.stateFolder + kCaptureFileName, environment_.clock),
      engine_(state_, {environment_.serial, environment_.clock,
                       UploadCapture{[this] { return capture_.CaptureEnabled(); },
                                     [this](const std::string& text, const std::string& tag) {
                                         WriteCaptureLine(text, tag);
                                     }},
                       [this](const UploadEvent& event) { OnUploadEvent(event); }, UploadLimits{}}) {}

// ---- Start-up and the buttons -------------------------------------------------------------------

void UploadSequencer::FormActivate() {
    screen_.Window = {0, 0, 800, 600};
    state_.ProgramFolder = environment_.files.programFolder;
    screen_.Up_type.ItemIndex = 1;  // "BULK"
    for (LabelState* label : {&screen_.Label2, &screen_.Label4, &screen_.Label8, &screen_.Label15}) {
        label->Caption.clear();
    }
    for (LabelState* label : {&screen_.Label2, &screen_.Label3, &screen_.Label11, &screen_.Label12,
                              &screen_.Label13, &screen_.Label7, &screen_.Label22}) {
        label->Color = TextColor::kBlue;
    }
    screen_.Label6.FontPointSize = 13;
    screen_.Label7.FontPointSize = 12;
    screen_.Label13.FontPointSize = 11;
    screen_.Label22.FontPointSize = 11;
    state_.HelpTopic = 1;
    screen_.MainBox.Visible = false;
    screen_.RunBox.Visible = false;
    ReadPortSettings();
    state_.SequencerState = SequencerStep::kIdle;
    screen_.Timer1 = {true, 500};
}

void UploadSequencer::Btn2UploadClick() {
    // Without a port there is nothing to open: the operator picks one first.
    if (screen_.CommPortBox.ItemIndex < 0) {
        ShowMessage(
            "Please select the Com Port that the modem is attached to, then press Start Upload again.");
        return;
    }
    state_.UploadBaud = std::stoi(screen_.BaudRateBox.Text());
    screen_.Label12.Caption = "Opening Com Port...";
    screen_.Label8.Caption.clear();
    screen_.MainBox = {"Main Software Upload", true};
    screen_.OpeningBox.Visible = false;
    screen_.RunBox.Visible = false;
    state_.HelpTopic = 3;
    screen_.ChooserFilter = std::string("Varnel Upload (.vxf)|*.vxf|Binary (.bin)|*.bin|") +
                            "Intel HEX (.h86)|*.h86|Intel HEX (.mcs)|*.mcs|" + "Intel HEX (.hex)|*.hex|";
    screen_.BtnBackToStart.Visible = true;
    engine_.OpenPort(static_cast<std::uint8_t>(std::stoi(screen_.CommPortBox.Text())));
}

void UploadSequencer::BtnBackToStartClick() {
    engine_.Stop();
    state_.HelpTopic = 1;
    state_.ReplyBuffer.clear();
    screen_.BtnChooseFile.Visible = false;
    screen_.BtnRepeatUpload.Visible = false;
    screen_.BtnBackToStart.Visible = false;
    screen_.MainBox.Visible = false;
    screen_.OpeningBox.Visible = true;
    environment_.serial->SetActive(false);
    // A preparation left half done replaces nothing; what it wrote so far goes.
    preparation_.reset();
    state_.SequencerState = SequencerStep::kIdle;
}

void UploadSequencer::BtnCloseClick() {
    if (capture_.CaptureEnabled()) {
        try {
            capture_.CloseCapture();
        } catch (const CaptureError& error) {
            ShowMessage(error.what());  // said before the window goes; the program still ends
        }
    }
    screen_.CloseWindow = true;
}

void UploadSequencer::BtnHelpClick() {
    screen_.ShowHelpTopic = state_.HelpTopic;
}

void UploadSequencer::BtnCaptureFileClick() {
    // The log's folder is made when the log is first switched on: an installed program keeps it in the
    // user's state folder, which may not be there yet.
    const std::optional<std::string> noFolder =
        capture_.CaptureEnabled() ? std::nullopt : flash410::CreateFolder(environment_.files.stateFolder);
    if (noFolder) {
        ShowMessage("Cannot open the capture file " + capture_.path() + ": " + *noFolder);
    } else {
        try {
            capture_.ToggleCapture();
        } catch (const CaptureError& error) {
            ShowMessage(error.what());
        }
    }
    screen_.BtnCaptureFile.Caption = capture_.ButtonCaption();
    screen_.Label11.Caption = capture_.StatusText();
    screen_.Label11.Visible = true;
}

void UploadSequencer::FormClose() {
    // Closing the capture file flushes its buffered tail, whatever CaptureEnabled says by now.
    try {
        capture_.CloseCapture();
    } catch (const CaptureError&) {
        // The program is ending; there is no window left to say it on.
    }
    engine_.Stop();
    environment_.serial->SetActive(false);
    preparation_.reset();  // a preparation cut short by the end of the program replaces nothing
}

// ---- The tick -----------------------------------------------------------------------------------

void UploadSequencer::Timer1Timer() {
    // A message box shown inside a tick runs its own event loop, in which the timer fires again.
    if (inTick_) {
        return;
    }
    inTick_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inTick_};

    if (environment_.processPendingEvents) {
        environment_.processPendingEvents();
    }
    WriteCaptureLine(std::to_string(StepNumber(state_.SequencerState)), "[pn]");
    if (UploadEngine::PerformsStep(state_.SequencerState)) {
        engine_.PerformStep();
        return;
    }
    try {
        PerformPreparationStep();
    } catch (const flash410::image::PreparationError& error) {
        PreparationFailed(error.what());
    }
}

void UploadSequencer::PerformPreparationStep() {
    using enum SequencerStep;
    // clang-format off
    switch (state_.SequencerState) {
        case kShowRunPrompt: ShowRunPrompt(); break;
        case kBadExtension: BadExtension(); break;
        case kEmptyBinaryImage: EmptyBinaryImage(); break;
        case kConvertHexToBinary: ConvertHexToBinary(); break;
        case kCreateImageFile: CreateImageFile(); break;
        case kWriteImageFile: WriteImageFile(); break;
        default: break;  // idle; a number without a step does nothing
    }
    // clang-format on
}

void UploadSequencer::BtnStartRunClick() {
    engine_.StartUpload(screen_.Up_type.Text() == "M+C" ? UploadRequest::kMainAndConfiguration
                                                        : UploadRequest::kBulk);
}

void UploadSequencer::OnUploadEvent(const UploadEvent& event) {
    presenter_.Show(event);
    if (const auto* report = std::get_if<events::PortReport>(&event); report && report->Opened) {
        WritePortSettings();
    } else if (std::holds_alternative<events::ModemFailed>(event)) {
        // The log stays open for what the modem still says, but nothing more is written to it.
        capture_.DisableWithoutClosing();
    } else if (std::holds_alternative<events::UploadFinishing>(event)) {
        state_.HelpTopic = 5;
    }
}

void UploadSequencer::ReadMessage() {
    std::string received;
    environment_.serial->ReadString(received);
    state_.ReplyBuffer += received;
    WriteCaptureLine(state_.ReplyBuffer, "[in]");
    // A complete reply is acted on at once, so the next block does not wait for the tick. Inside the tick
    // (its pending events) the tick's own step takes it.
    if (!inTick_ && engine_.AwaitedReplyArrived()) {
        WriteCaptureLine(std::to_string(StepNumber(state_.SequencerState)), "[pn]");
        engine_.PerformStepOnReply();
    }
}

// ---- Capture and port settings ------------------------------------------------------------------

void UploadSequencer::WriteCaptureLine(const std::string& text, const std::string& tag) {
    try {
        capture_.WriteCaptureLine(text, tag);
    } catch (const CaptureError& error) {
        // The log has switched itself off; the upload goes on without it.
        ShowMessage(error.what());
        screen_.BtnCaptureFile.Caption = capture_.ButtonCaption();
        screen_.Label11.Caption = capture_.StatusText();
    }
}

void UploadSequencer::ReadPortSettings() {
    if (auto problem = uflash8::ReadPortSettings(environment_.files.settingsFolder + kPortSettingsFileName,
                                                 screen_.CommPortBox, screen_.BaudRateBox)) {
        ShowMessage(*problem);
        portSettingsProblemShown_ = true;
    }
    state_.RememberedPort = screen_.CommPortBox.Text();
}

void UploadSequencer::WritePortSettings() {
    auto problem =
        uflash8::WritePortSettings(environment_.files.settingsFolder + kPortSettingsFileName,
                                   screen_.CommPortBox, screen_.BaudRateBox, state_.RememberedPort);
    if (problem && !portSettingsProblemShown_) {
        ShowMessage(*problem);
        portSettingsProblemShown_ = true;
    }
}

}  // namespace uflash8
