#include "window_model/main_window_model.h"

#include <exception>

#include "flash410_version.h"
#include "history/upload_history.h"
#include "image/preparation_error.h"
#include "platform/sha256.h"
#include "serial/port_map.h"
#include "upload/time_texts.h"
#include "window_model/port_settings_file.h"

namespace flash410::window_model {

MainWindowModel::MainWindowModel(WindowModelEnvironment environment)
    : environment_(std::move(environment)),
      screen_(DesignedScreen()),
      capture_(environment_.files.stateFolder + capture::kCaptureFileName, environment_.clock),
      driver_({environment_.serial, environment_.clock,
               upload::UploadCapture{
                   [this] { return capture_.CaptureEnabled(); },
                   [this](const std::string& text, const std::string& tag) { WriteCaptureLine(text, tag); }},
               [this](const upload::UploadEvent& event) { OnUploadEvent(event); }, upload::UploadLimits{}}),
      recorder_(environment_.wallClock ? environment_.wallClock : [] { return history::WallClock::now(); }) {}

// ---- Start-up and the buttons -------------------------------------------------------------------

void MainWindowModel::Activate() {
    // The window's place, and its labels' colours and sizes, are the designed screen's (window_layout).
    state_.ProgramFolder = environment_.files.programFolder;
    screen_.UploadTypeList.ItemIndex = 1;  // "BULK"
    for (LabelState* label :
         {&screen_.ProgressLine, &screen_.ResultLine, &screen_.FileStatusLine, &screen_.RunInstructionLine}) {
        label->Caption.clear();
    }
    state_.HelpTopic = 1;
    screen_.MainPanel.Visible = false;
    screen_.RunPanel.Visible = false;
    ReadPortSettings();
    ShowPortDevice();
    state_.Preparation = PreparationStep::kIdle;
    screen_.Timer = {true, 500};
}

void MainWindowModel::PortListOpened() {
    ShowPortDevice();
}

void MainWindowModel::ChoosePort(int itemIndex) {
    screen_.PortList.ItemIndex = itemIndex;
    ShowPortDevice();
}

void MainWindowModel::AdaptersChanged() {
    ShowPortDevice();
}

void MainWindowModel::ShowPortDevice() {
    const std::string port = screen_.PortList.Text();
    chosenPortDevice_.reset();
    if (port.empty() || !environment_.listPorts) {
        screen_.PortDeviceLine.Caption.clear();
        return;
    }
    const int number = std::stoi(port);
    const std::vector<serial::PortDescription> ports = environment_.listPorts();
    screen_.PortDeviceLine.Caption = serial::PortSummaryOfNumber(ports, number);
    chosenPortDevice_ = serial::FindPortOfNumber(ports, number);
    // A port with nothing behind it stands out: the operator has picked the wrong number or the cable is out.
    screen_.PortDeviceLine.Color = chosenPortDevice_ ? TextColor::kBlue : TextColor::kRed;
}

void MainWindowModel::OpenPort() {
    // Without a port there is nothing to open: the operator picks one first.
    if (screen_.PortList.ItemIndex < 0) {
        ShowMessage(
            "Please select the Com Port that the modem is attached to, then press Start Upload again.");
        return;
    }
    const std::int32_t baud = std::stoi(screen_.BaudList.Text());
    screen_.PortStatusLine.Caption = "Opening Com Port...";
    screen_.FileStatusLine.Caption.clear();
    screen_.MainPanel = {"Main Software Upload", true};
    screen_.OpeningPanel.Visible = false;
    screen_.RunPanel.Visible = false;
    state_.HelpTopic = 3;
    screen_.ChooserFilter = std::string("Varnel Upload (.vxf)|*.vxf|Binary (.bin)|*.bin|") +
                            "Intel HEX (.h86)|*.h86|Intel HEX (.mcs)|*.mcs|" + "Intel HEX (.hex)|*.hex|";
    screen_.BackToStartButton.Visible = true;
    driver_.Engine().OpenPort(static_cast<std::uint8_t>(std::stoi(screen_.PortList.Text())), baud);
}

void MainWindowModel::GoBackToStart() {
    driver_.Engine().ReturnToStart();
    state_.HelpTopic = 1;
    screen_.ChooseFileButton.Visible = false;
    screen_.RepeatUploadButton.Visible = false;
    screen_.BackToStartButton.Visible = false;
    screen_.MainPanel.Visible = false;
    screen_.OpeningPanel.Visible = true;
    environment_.serial->SetActive(false);
    // The adapter may have been changed while the port was in use.
    ShowPortDevice();
    // A preparation left half done replaces nothing; what it wrote so far goes.
    preparation_.reset();
    state_.Preparation = PreparationStep::kIdle;
}

void MainWindowModel::Close() {
    if (capture_.CaptureEnabled()) {
        try {
            capture_.CloseCapture();
        } catch (const capture::CaptureError& error) {
            ShowMessage(error.what());  // said before the window goes; the program still ends
        }
    }
    screen_.CloseWindow = true;
}

void MainWindowModel::ShowHelp() {
    screen_.ShowHelpTopic = state_.HelpTopic;
}

void MainWindowModel::ToggleCapture() {
    // The log's folder is made when the log is first switched on: an installed program keeps it in the
    // user's state folder, which may not be there yet.
    const std::optional<std::string> noFolder =
        capture_.CaptureEnabled() ? std::nullopt : flash410::CreateFolder(environment_.files.stateFolder);
    if (noFolder) {
        ShowMessage("Cannot open the capture file " + capture_.path() + ": " + *noFolder);
    } else {
        try {
            capture_.ToggleCapture();
        } catch (const capture::CaptureError& error) {
            ShowMessage(error.what());
        }
    }
    screen_.CaptureFileButton.Caption = capture_.ButtonCaption();
    screen_.CaptureStatusLine.Caption = capture_.StatusText();
    screen_.CaptureStatusLine.Visible = true;
}

void MainWindowModel::WindowClosing() {
    // Closing the capture file flushes its buffered tail, whatever CaptureEnabled says by now.
    try {
        capture_.CloseCapture();
    } catch (const capture::CaptureError&) {
        // The program is ending; there is no window left to say it on.
    }
    driver_.Engine().Stop();
    environment_.serial->SetActive(false);
    preparation_.reset();  // a preparation cut short by the end of the program replaces nothing
}

// ---- The tick -----------------------------------------------------------------------------------

void MainWindowModel::Tick() {
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
    // A file being prepared has the tick to itself; otherwise the tick is the dialogue's, idle included.
    if (state_.Preparation == PreparationStep::kIdle) {
        driver_.Tick();
        return;
    }
    WriteCaptureLine(std::to_string(StepNumber(state_.Preparation)), "[pn]");
    try {
        PerformPreparationStep();
    } catch (const image::PreparationError& error) {
        PreparationFailed(error.what());
    }
}

std::int32_t MainWindowModel::CurrentStepNumber() const {
    return state_.Preparation == PreparationStep::kIdle ? upload::StepNumber(driver_.State().Step)
                                                        : StepNumber(state_.Preparation);
}

void MainWindowModel::PerformPreparationStep() {
    using enum PreparationStep;
    // clang-format off
    switch (state_.Preparation) {
        case kShowRunPrompt: ShowRunPrompt(); break;
        case kBadExtension: BadExtension(); break;
        case kEmptyBinaryImage: EmptyBinaryImage(); break;
        case kConvertHexToBinary: ConvertHexToBinary(); break;
        case kCreateImageFile: CreateImageFile(); break;
        case kWriteImageFile: WriteImageFile(); break;
        default: break;  // a number without a step does nothing
    }
    // clang-format on
}

void MainWindowModel::StartUpload() {
    driver_.Engine().StartUpload(screen_.UploadTypeList.Text() == "M+C"
                                     ? upload::UploadRequest::kMainAndConfiguration
                                     : upload::UploadRequest::kBulk);
}

void MainWindowModel::OnUploadEvent(const upload::UploadEvent& event) {
    presenter_.Show(event);
    if (const auto* report = std::get_if<upload::events::PortReport>(&event); report && report->Opened) {
        WritePortSettings();
    } else if (std::holds_alternative<upload::events::ModemFailed>(event)) {
        // The log stays open for what the modem still says, but nothing more is written to it.
        capture_.DisableWithoutClosing();
    } else if (std::holds_alternative<upload::events::UploadFinishing>(event)) {
        state_.HelpTopic = 5;
    } else if (std::holds_alternative<upload::events::UploadStarting>(event)) {
        RecordUploadStart();
    } else if (const auto* ended = std::get_if<upload::events::UploadEnded>(&event)) {
        RecordUploadEnd(ended->Result);
    }
}

void MainWindowModel::RecordUploadStart() {
    const int port = environment_.serial->Port();
    recorder_.Started(
        {"Flash410", kVersion, "COM" + std::to_string(port),
         serial::PortMap(environment_.files.settingsFolder).ResolvedDevicePath(port), AdapterSerialOf(port),
         state_.ChosenFile, state_.ImageSha256, driver_.State().BlockCount, state_.ImageChecksumText,
         screen_.UploadTypeList.Text() == "M+C" ? upload::UploadRequest::kMainAndConfiguration
                                                : upload::UploadRequest::kBulk,
         driver_.State().UploadBaud,
         capture_.CaptureEnabled() ? std::optional<std::string>(capture_.path()) : std::nullopt});
}

std::optional<std::string> MainWindowModel::AdapterSerialOf(int port) const {
    const std::optional<serial::PortDescription>& found = chosenPortDevice_;
    if (!found || found->ComNumber != port || !found->Usb || found->Usb->SerialNumber.empty()) {
        return std::nullopt;
    }
    return found->Usb->SerialNumber;
}

void MainWindowModel::RecordUploadEnd(const upload::UploadResult& result) {
    const std::optional<history::UploadRecord> record = recorder_.Ended(result);
    if (!record || environment_.files.historyFile.empty()) {
        return;
    }
    // Said in a box of its own after the upload's end; the upload's result stands as shown.
    if (const std::optional<std::string> problem =
            history::AppendToHistory(environment_.files.historyFile, *record)) {
        ShowMessage(*problem);
    }
}

void MainWindowModel::ReadMessage() {
    // Inside the tick (its pending events) the tick's own step takes a complete reply.
    driver_.Receive(inTick_ ? upload::Arrival::kWithinTick : upload::Arrival::kBetweenTicks);
}

// ---- Capture and port settings ------------------------------------------------------------------

void MainWindowModel::WriteCaptureLine(const std::string& text, const std::string& tag) {
    try {
        capture_.WriteCaptureLine(text, tag);
    } catch (const capture::CaptureError& error) {
        // The log has switched itself off; the upload goes on without it.
        ShowMessage(error.what());
        screen_.CaptureFileButton.Caption = capture_.ButtonCaption();
        screen_.CaptureStatusLine.Caption = capture_.StatusText();
    }
}

void MainWindowModel::ReadPortSettings() {
    if (auto problem = window_model::ReadPortSettings(
            environment_.files.settingsFolder + kPortSettingsFileName, screen_.PortList, screen_.BaudList)) {
        ShowMessage(*problem);
        portSettingsProblemShown_ = true;
    }
    state_.RememberedPort = screen_.PortList.Text();
}

void MainWindowModel::WritePortSettings() {
    auto problem = window_model::WritePortSettings(environment_.files.settingsFolder + kPortSettingsFileName,
                                                   screen_.PortList, screen_.BaudList, state_.RememberedPort);
    if (problem && !portSettingsProblemShown_) {
        ShowMessage(*problem);
        portSettingsProblemShown_ = true;
    }
}

}  // namespace flash410::window_model
