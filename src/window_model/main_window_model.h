// The core of the program, free of any GUI: the window's state, the timer tick that performs a file
// preparation's step or else drives the upload dialogue, and the logic of the window's button handlers. The
// window forwards its events here and renders the screen state; tests drive it tick by tick with a fake
// line and clock.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/capture_log.h"
#include "history/upload_recorder.h"
#include "image/hex_record.h"
#include "image/image_layout.h"
#include "image/image_preparation.h"
#include "platform/file_locations.h"
#include "serial/port_inventory.h"
#include "serial/serial_line.h"
#include "upload/upload_driver.h"
#include "window_model/screen_state.h"
#include "window_model/upload_presenter.h"
#include "window_model/window_state.h"

namespace flash410::window_model {

struct WindowModelEnvironment {
    serial::SerialLine* serial = nullptr;
    // Lets the window handle what has queued up (receive notifications, clicks); the tick's first step.
    std::function<void()> processPendingEvents;
    capture::TimeOfDayClock clock;
    // The program's folder, and where the port settings file and the capture log live.
    flash410::FileLocations files;
    // Shows the file chooser with this type filter; the chosen name when it closed with OK.
    std::function<std::optional<std::string>(const std::string& filter)> chooseFile;
    // The serial ports present now, for the line on the device behind the chosen port. None: the line
    // stays empty.
    std::function<std::vector<serial::PortDescription>()> listPorts = {};
    // The time of day by the calendar, for the upload history; the system's clock when empty.
    history::UploadRecorder::Clock wallClock = {};
};

class MainWindowModel {
  public:
    explicit MainWindowModel(WindowModelEnvironment environment);

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
    const upload::DialogueState& dialogue() const { return driver_.State(); }
    ScreenState& screen() { return screen_; }
    const ScreenState& screen() const { return screen_; }
    upload::UploadDriver& driver() { return driver_; }
    bool CaptureEnabled() const { return capture_.CaptureEnabled(); }
    // The number the next tick writes on its "[pn]" line: the preparation's step while a file is being
    // prepared, the dialogue's otherwise.
    std::int32_t CurrentStepNumber() const;
    // Neither a preparation nor the dialogue has a step to perform.
    bool Idle() const { return CurrentStepNumber() == 0; }

  private:
    void PerformPreparationStep();
    // What the window does besides showing an engine event.
    void OnUploadEvent(const upload::UploadEvent& event);
    // The upload history: what is uploaded where when an upload starts, and its record when it ends.
    void RecordUploadStart();
    void RecordUploadEnd(const upload::UploadResult& result);

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
    // The image the next upload sends, and what the history says of it.
    void UseImage(image::UploadImageBytes bytes, std::int32_t blockCount, std::string checksumText);
    // The preparation under way; it is lost (and what it wrote with it) when the operator leaves it.
    image::ImagePreparation& Preparation();

    // Looks up the device behind the chosen port again.
    void ShowPortDevice();
    // The serial number of the USB adapter behind the port, for the upload history, where the last look
    // at the chosen port found one: the ports are not listed again as the upload starts.
    std::optional<std::string> AdapterSerialOf(int port) const;
    void WriteCaptureLine(const std::string& text, const std::string& tag);
    void ReadPortSettings();
    void WritePortSettings();
    void ShowMessage(std::string text) { screen_.Messages.push_back(std::move(text)); }

    WindowModelEnvironment environment_;
    WindowState state_;
    ScreenState screen_;
    capture::CaptureLog capture_;
    UploadPresenter presenter_{screen_};
    upload::UploadDriver driver_;
    history::UploadRecorder recorder_;
    // The preparation of a chosen file, between the steps that make it.
    std::optional<image::ImagePreparation> preparation_;
    image::HexReaderState hexReader_;
    // What the last look at the chosen port found behind it.
    std::optional<serial::PortDescription> chosenPortDevice_;
    bool inTick_ = false;
    bool portSettingsProblemShown_ = false;
};

}  // namespace flash410::window_model
