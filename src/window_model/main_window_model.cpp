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
      session_({
          .Program = "Flash410",
          .LinkFolder = environment_.files.settingsFolder,
          .PostToUiThread = environment_.postToUiThread,
          .Clock = environment_.clock,
          .CapturePath = environment_.files.stateFolder + capture::kCaptureFileName,
          .HistoryFile = environment_.files.historyFile,
          .Limits = upload::UploadLimits{},
          .WallClock = environment_.wallClock,
          .Events = [this](const session::SessionEvent& event) { OnSessionEvent(event); },
          .LineError =
              [this](const std::string& text) {
                  if (environment_.showLineError) {
                      environment_.showLineError(text);
                  }
              },
          .Warning =
              [this](session::SideProblem problem, const std::string& text) {
                  ShowMessage(text);
                  if (problem == session::SideProblem::kCaptureFile) {
                      ShowCaptureState();  // the log has switched itself off
                  }
              },
          .Line = environment_.testLine,
      }) {}

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

void MainWindowModel::Press(ControlId button) {
    using Handler = void (MainWindowModel::*)();
    static constexpr std::pair<ControlId, Handler> kHandlers[] = {
        {ControlId::kStartButton, &MainWindowModel::OpenPort},
        {ControlId::kBackToStartButton, &MainWindowModel::GoBackToStart},
        {ControlId::kCaptureFileButton, &MainWindowModel::ToggleCapture},
        {ControlId::kHelpButton, &MainWindowModel::ShowHelp},
        {ControlId::kCloseButton, &MainWindowModel::Close},
        {ControlId::kChooseFileButton, &MainWindowModel::ChooseFile},
        {ControlId::kUploadButton, &MainWindowModel::StartUpload},
        {ControlId::kRepeatUploadButton, &MainWindowModel::RepeatUpload},
    };
    for (const auto& [id, handler] : kHandlers) {
        if (id == button) {
            (this->*handler)();
        }
    }
}

void MainWindowModel::Pick(ControlId list, int itemIndex) {
    if (list == ControlId::kPortList) {
        ChoosePort(itemIndex);
    } else if (const auto* field = std::get_if<ListField>(&ControlOf(list).Field)) {
        (screen_.*(*field)).ItemIndex = itemIndex;
    }
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
    const auto port = static_cast<serial::PortNumber>(std::stoi(screen_.PortList.Text()));
    session_.OpenPort({port, {}, serial::ComName(port)}, baud);
}

void MainWindowModel::GoBackToStart() {
    session_.ReturnToStart();
    state_.HelpTopic = 1;
    screen_.ChooseFileButton.Visible = false;
    screen_.RepeatUploadButton.Visible = false;
    screen_.BackToStartButton.Visible = false;
    screen_.MainPanel.Visible = false;
    screen_.OpeningPanel.Visible = true;
    // The adapter may have been changed while the port was in use.
    ShowPortDevice();
    // A preparation left half done replaces nothing; what it wrote so far goes.
    preparation_.reset();
    state_.Preparation = PreparationStep::kIdle;
}

void MainWindowModel::Close() {
    if (capture::CaptureLog* capture = session_.Capture(); capture->CaptureEnabled()) {
        try {
            capture->CloseCapture();
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
    capture::CaptureLog& capture = *session_.Capture();
    // The log's folder is made when the log is first switched on: an installed program keeps it in the
    // user's state folder, which may not be there yet.
    const std::optional<std::string> noFolder =
        capture.CaptureEnabled() ? std::nullopt
                                 : flash410::platform::CreateFolder(environment_.files.stateFolder);
    if (noFolder) {
        ShowMessage("Cannot open the capture file " + capture.path() + ": " + *noFolder);
    } else {
        try {
            capture.ToggleCapture();
        } catch (const capture::CaptureError& error) {
            ShowMessage(error.what());
        }
    }
    ShowCaptureState();
    screen_.CaptureStatusLine.Visible = true;
}

void MainWindowModel::ShowCaptureState() {
    screen_.CaptureFileButton.Caption = session_.Capture()->ButtonCaption();
    screen_.CaptureStatusLine.Caption = session_.Capture()->StatusText();
}

void MainWindowModel::WindowClosing() {
    preparation_.reset();  // a preparation cut short by the end of the program replaces nothing
    // The port closes and the capture file's buffered tail reaches the disk; what fails now is not shown,
    // as the window is going.
    session_.Close();
}

// ---- The tick -----------------------------------------------------------------------------------

void MainWindowModel::Tick() {
    // A message box shown inside a tick runs its own event loop, in which the timer fires again.
    if (session_.WithinTick()) {
        return;
    }
    const auto tick = session_.TickUnderWay();
    if (environment_.processPendingEvents) {
        environment_.processPendingEvents();
    }
    // A file being prepared has the tick to itself; otherwise the tick is the dialogue's, idle included.
    if (state_.Preparation == PreparationStep::kIdle) {
        session_.Tick();
        return;
    }
    session_.WriteCaptureLine(std::to_string(StepNumber(state_.Preparation)), "[pn]");
    try {
        PerformPreparationStep();
    } catch (const image::PreparationError& error) {
        PreparationFailed(error.what());
    }
}

std::int32_t MainWindowModel::CurrentStepNumber() const {
    return state_.Preparation == PreparationStep::kIdle ? upload::StepNumber(session_.State().Step)
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
    session_.StartUpload(screen_.UploadTypeList.Text() == "M+C" ? upload::UploadRequest::kMainAndConfiguration
                                                                : upload::UploadRequest::kBulk,
                         AdapterSerialOf(session_.Port().Number));
}

void MainWindowModel::OnSessionEvent(const session::SessionEvent& event) {
    presenter_.Show(event);
    if (const auto* report = std::get_if<upload::events::PortReport>(&event); report && report->Opened) {
        WritePortSettings();
    } else if (std::holds_alternative<upload::events::UploadFinishing>(event)) {
        state_.HelpTopic = 5;
    }
}

std::optional<std::string> MainWindowModel::AdapterSerialOf(int port) const {
    const std::optional<serial::PortDescription>& found = chosenPortDevice_;
    if (!found || found->ComNumber != port || !found->Usb || found->Usb->SerialNumber.empty()) {
        return std::nullopt;
    }
    return found->Usb->SerialNumber;
}

void MainWindowModel::ReadMessage() {
    session_.Receive();
}

// ---- Port settings ------------------------------------------------------------------------------

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
