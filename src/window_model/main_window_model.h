// The window's behaviour, free of any GUI: the window's state, the timer tick that performs a file
// preparation's step or else the upload session's, and the logic of the window's button handlers. The
// window forwards its events here and renders the screen state; tests drive it tick by tick with a fake
// line and clock.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/upload_recorder.h"
#include "image/hex_record.h"
#include "image/image_layout.h"
#include "image/image_preparation.h"
#include "platform/file_locations.h"
#include "platform/time_of_day.h"
#include "serial/port_inventory.h"
#include "serial/serial_line.h"
#include "serial/ui_call.h"
#include "session/upload_session.h"
#include "window_model/screen_state.h"
#include "window_model/upload_presenter.h"
#include "window_model/window_layout.h"
#include "window_model/window_state.h"

namespace flash410::window_model {

struct WindowModelEnvironment {
    // Runs the serial port's notifications on the window's thread.
    serial::PostToUiThread postToUiThread = {};
    // Shows what the serial component says went wrong, in an error box, as it happens.
    std::function<void(const std::string& text)> showLineError = {};
    // Lets the window handle what has queued up (receive notifications, clicks); the tick's first step.
    std::function<void()> processPendingEvents = {};
    platform::TimeOfDayClock clock = {};
    // The program's folder, and where the port settings file and the capture log live.
    flash410::platform::FileLocations files = {};
    // Shows the file chooser with this type filter; the chosen name when it closed with OK.
    std::function<std::optional<std::string>(const std::string& filter)> chooseFile = {};
    // The serial ports present now, for the line on the device behind the chosen port. None: the line
    // stays empty.
    std::function<std::vector<serial::PortDescription>()> listPorts = {};
    // The time of day by the calendar, for the upload history; the system's clock when empty.
    history::UploadRecorder::Clock wallClock = {};
    // Tests put a line of their own here in place of the serial port, and call ReadMessage themselves.
    serial::SerialLine* testLine = nullptr;
};

class MainWindowModel {
  public:
    explicit MainWindowModel(WindowModelEnvironment environment);

    // A button of the main window pressed: what it does, once for both windows.
    void Press(ControlId button);
    // An entry picked from one of its lists: the selection belongs to the screen state at once.
    void Pick(ControlId list, int itemIndex);

    // The window's events.
    void Activate();
    // The port list: opened, and an entry picked from it.
    void PortListOpened();
    void ChoosePort(int itemIndex);
    // USB-serial adapters came or went.
    void AdaptersChanged();
    void OpenPort();
    void GoBackToStart();
    void Close();
    void ShowHelp();
    void ToggleCapture();
    void ChooseFile();
    void RepeatUpload();
    void StartUpload();
    // The window is closing by whatever route: the port closes and the capture file reaches the disk.
    void WindowClosing();
    void Tick();
    // The serial port's receive notification.
    void ReadMessage();

    WindowState& state() { return state_; }
    const WindowState& state() const { return state_; }
    const upload::DialogueState& dialogue() const { return session_.State(); }
    ScreenState& screen() { return screen_; }
    const ScreenState& screen() const { return screen_; }
    bool CaptureEnabled() const { return session_.CaptureEnabled(); }
    bool PortOpen() const { return session_.PortOpen(); }
    const session::UploadSession& session() const { return session_; }
    // The number the next tick writes on its "[pn]" line: the preparation's step while a file is being
    // prepared, the dialogue's otherwise.
    std::int32_t CurrentStepNumber() const;
    // Neither a preparation nor the dialogue has a step to perform.
    bool Idle() const { return CurrentStepNumber() == 0; }

  private:
    void PerformPreparationStep();
    // What the window does besides showing a session event.
    void OnSessionEvent(const session::SessionEvent& event);

    // Preparation of a chosen file.
    void PrepareChosenFile();
    void SetUpRunPanel();
    void ShowRunPrompt();
    void BadExtension();
    void EmptyBinaryImage();
    void ConvertHexToBinary();
    void CreateImageFile();
    void WriteImageFile();
    // A file could not be prepared: say why and offer the choice of another file.
    void PreparationFailed(const std::string& reason);
    // The image the next upload sends.
    void UseImage(image::UploadImageBytes bytes, std::int32_t blockCount, std::string checksumText);
    // The preparation under way; it is lost (and what it wrote with it) when the operator leaves it.
    image::ImagePreparation& Preparation();

    // Looks up the device behind the chosen port again.
    void ShowPortDevice();
    // The serial number of the USB adapter behind the port, for the upload history, where the last look
    // at the chosen port found one: the ports are not listed again as the upload starts.
    std::optional<std::string> AdapterSerialOf(int port) const;
    // The capture button and its label as the log now stands.
    void ShowCaptureState();
    void ReadPortSettings();
    void WritePortSettings();
    void ShowMessage(std::string text) { screen_.Messages.push_back(std::move(text)); }

    WindowModelEnvironment environment_;
    WindowState state_;
    ScreenState screen_;
    UploadPresenter presenter_{screen_};
    session::UploadSession session_;
    // The preparation of a chosen file, between the steps that make it.
    std::optional<image::ImagePreparation> preparation_;
    image::HexReaderState hexReader_;
    // What the last look at the chosen port found behind it.
    std::optional<serial::PortDescription> chosenPortDevice_;
    bool portSettingsProblemShown_ = false;
};

}  // namespace flash410::window_model
