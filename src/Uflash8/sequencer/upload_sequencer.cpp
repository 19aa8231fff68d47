#include "upload_sequencer.h"

#include <exception>

#include "image/preparation_error.h"
#include "port_settings_file.h"
#include "time_texts.h"

namespace uflash8 {

namespace {
constexpr int kPortOpenPollLimit = 20;
constexpr int kReplyWindow = 125;
}  // namespace

UploadSequencer::UploadSequencer(CoreEnvironment environment)
    : environment_(std::move(environment)),
      screen_(DesignedScreen()),
      capture_(environment_.files.stateFolder + kCaptureFileName, environment_.clock) {}

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
    state_.SequencerState = 0;
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
    state_.SequencerState = 5;
}

void UploadSequencer::BtnBackToStartClick() {
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
    state_.SequencerState = 0;
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
    WriteCaptureLine(std::to_string(state_.SequencerState), "[pn]");
    const std::int32_t step = state_.SequencerState;
    try {
        PerformStep();
    } catch (const flash410::image::PreparationError& error) {
        if (step >= 100 && step < 999) {
            PreparationFailed(error.what());
        } else {
            UploadStopped(error.what());
        }
    }
}

namespace {
// The states that talk to the modem.
bool UsesTheLine(std::int32_t state) {
    return (state >= 45 && state <= 74) || state == 999;
}
}  // namespace

void UploadSequencer::PerformStep() {
    if (UsesTheLine(state_.SequencerState) && !environment_.serial->Active()) {
        UploadStopped("The serial port closed during the upload: the connection to the modem was lost.");
        return;
    }
    // clang-format off
    switch (state_.SequencerState) {
        case 5: OpenPortStep(); break;
        case 6: PortOpenPollStep(); break;
        case 10: ReportPortStep(); break;
        case 42: ShowRunPrompt(); break;
        case 44: SendUploadRequest(); break;
        case 45: AwaitReady(); break;
        case 54: SendGo(); break;
        case 55: AwaitErasing(); break;
        case 56: CheckErasing(); break;
        case 57: AwaitEraseResult(); break;
        case 58: CheckEraseResult(); break;
        case 59: AwaitErrorBlock(); break;
        case 60: ShowErrorBlock(); break;
        case 66: StartBlockLoop(); break;
        case 67: AwaitBlockRequest(); break;
        case 73: SendUploadDone(); break;
        case 74: AwaitThankYou(); break;
        case 75: FinishUpload(); break;
        case 82: ShowComplete(); break;
        case 88: ShowHalted(); break;
        case 99: TimedOut(); break;
        case 102: BadExtension(); break;
        case 104: EmptyBinaryImage(); break;
        case 112: ConvertHexToBinary(); break;
        case 123: CreateImageFile(); break;
        case 124: WriteImageFile(); break;
        case 999: ResendBlock(); break;
        default: break;  // 0 idles; a number without a step does nothing
    }
    // clang-format on
}

void UploadSequencer::OpenPortStep() {
    environment_.serial->SetBaudrate(state_.UploadBaud);
    environment_.serial->SetPort(static_cast<std::uint8_t>(std::stoi(screen_.CommPortBox.Text())));
    WriteCaptureLine("com port open at " + screen_.BaudRateBox.Text(), "[co]");
    state_.ReplyBuffer.clear();
    environment_.serial->SetActive(true);
    state_.PortOpenPolls = 0;
    state_.SequencerState = 6;
}

void UploadSequencer::PortOpenPollStep() {
    ++state_.PortOpenPolls;
    if (environment_.serial->Active()) {
        state_.ReplyBuffer.clear();
        state_.SequencerState = 10;
    } else if (state_.PortOpenPolls >= kPortOpenPollLimit) {
        state_.SequencerState = 10;
    }
}

void UploadSequencer::ReportPortStep() {
    std::string verb = "did not";
    if (environment_.serial->Active()) {
        screen_.BtnChooseFile.Visible = true;
        WritePortSettings();
        verb = "is";
    }
    screen_.Label12.Caption =
        "Port " + verb + " open on Com " + std::to_string(environment_.serial->Port()) + " at ";
    screen_.Label12.Caption += std::to_string(environment_.serial->Baudrate()) + " baud";
    screen_.Label10.Visible = false;
    state_.SequencerState = 0;
}

// ---- Operations ---------------------------------------------------------------------------------

void UploadSequencer::SendCommand(const std::string& text) {
    SendText(text);
    state_.WaitTicks = 0;
    ++state_.SequencerState;
}

void UploadSequencer::SendText(const std::string& text) {
    state_.ReplyBuffer.clear();
    const std::string framed = text + '\r';
    WriteCaptureLine(framed, "[out]");
    for (char ch : framed) {
        SendByte(static_cast<std::uint8_t>(ch));
    }
}

void UploadSequencer::SendByte(std::uint8_t value) {
    environment_.serial->WriteChar(value);
}

void UploadSequencer::WaitForReply(const std::string& expected, std::int32_t timeoutState,
                                   std::int32_t nextState, std::string& reply) {
    ++state_.WaitTicks;
    reply.clear();
    // The limit comes first: on the last tick a reply already there is not taken.
    if (state_.WaitTicks >= state_.WaitLimitTicks) {
        state_.SequencerState = timeoutState;
        return;
    }
    const std::size_t found = state_.ReplyBuffer.find(expected);
    if (found == std::string::npos) {
        return;
    }
    // The expected line must end within the 125 characters that begin with it.
    const std::size_t lineEnd = state_.ReplyBuffer.substr(found, kReplyWindow).find('\r');
    if (lineEnd == std::string::npos) {
        return;
    }
    // The reply runs to the carriage return and takes one character more (normally the line feed),
    // which also stays at the front of the buffer.
    const std::size_t afterReturn = found + lineEnd + 1;
    reply = state_.ReplyBuffer.substr(0, afterReturn + 1);
    state_.ReplyBuffer = state_.ReplyBuffer.substr(afterReturn, kReplyWindow);
    state_.SequencerState = nextState;
}

void UploadSequencer::ReadMessage() {
    std::string received;
    environment_.serial->ReadString(received);
    state_.ReplyBuffer += received;
    WriteCaptureLine(state_.ReplyBuffer, "[in]");
}

std::string UploadSequencer::ElapsedTimeText() const {
    return uflash8::ElapsedTimeText(state_.UploadStartTime, state_.UploadEndTime);
}

std::string UploadSequencer::UploadTimeEstimate() const {
    return uflash8::UploadTimeEstimate(state_.BlockCount, environment_.serial->Baudrate());
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
