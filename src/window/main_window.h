// MainWindow: the main window. It builds the controls at their designed places, forwards clicks, timer ticks
// and the serial port's notifications to the core, and renders the core's screen state after each.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "serial/adapter_monitor.h"
#include "serial/port_map.h"
#include "window_model/main_window_model.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSocketNotifier;
class QTimer;

namespace flash410::window {

class FileChooserDialog;
class GaugeWidget;
class HelpWindow;

class MainWindow : public QWidget {
  public:
    // Shows a message in a modal box; tests put their own in its place.
    using MessageBox = std::function<void(QWidget* parent, const QString& text, bool isError)>;

    // files: the program's folder, and where the port links, the port settings file, the capture file and
    // the help file are. homeFolder: where the file chooser remembers the folder of the last chosen file.
    MainWindow(flash410::FileLocations files, std::string homeFolder, MessageBox messageBox = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // One tick of Timer, as the timer runs it.
    void Tick();

    window_model::MainWindowModel& core() { return core_; }
    // The help window, once Help has been pressed.
    HelpWindow* helpWindow() const { return helpWindow_; }

    // The controls, for tests that press buttons and read what the operator sees.
    QPushButton* StartButton = nullptr;
    QPushButton* RepeatUploadButton = nullptr;
    QPushButton* BackToStartButton = nullptr;
    QPushButton* CaptureFileButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QPushButton* ChooseFileButton = nullptr;
    QPushButton* UploadButton = nullptr;
    QComboBox* PortList = nullptr;
    QComboBox* BaudList = nullptr;
    QComboBox* UploadTypeList = nullptr;
    QGroupBox* OpeningPanel = nullptr;
    QGroupBox* MainPanel = nullptr;
    QGroupBox* RunPanel = nullptr;
    QGroupBox* LineSettingsBox = nullptr;
    QGroupBox* FooterBox = nullptr;
    QLabel* BannerImage = nullptr;
    QLabel *ProgressLine = nullptr, *PortPrompt = nullptr, *ResultLine = nullptr, *TitleLine = nullptr,
           *SubtitleLine = nullptr, *UploadTypePrompt = nullptr, *FileStatusLine = nullptr,
           *BaudLabel = nullptr, *WarningLine = nullptr, *CaptureStatusLine = nullptr,
           *PortStatusLine = nullptr, *AttachInstructionLine = nullptr, *RunInstructionLine = nullptr,
           *BaudInstructionLine = nullptr, *PortDeviceLine = nullptr;
    GaugeWidget* Gauge = nullptr;
    QTimer* Timer = nullptr;
    // The file chooser, created after the window's own start-up.
    FileChooserDialog* FileChooser = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void ConnectControls();
    void DescribePorts();
    // Adapters coming and going reach the model as they happen, where the system can tell.
    void WatchAdapters();
    // Runs one of the core's handlers, then shows what it changed.
    template <typename Handler>
    void Forward(Handler handler) {
        handler();
        Render();
    }
    void Render();
    void TakeRequests();
    void ShowHelp(int topic);
    std::optional<std::string> ChooseFile(const std::string& filter);

    std::string helpFile_;
    MessageBox messageBox_;
    // Which device each port of the list stands for, for the list's tips.
    serial::PortMap portMap_;
    window_model::MainWindowModel core_;
    serial::AdapterMonitor adapterMonitor_;
    // The watch on the monitor; it goes before the monitor's descriptor does.
    std::unique_ptr<QSocketNotifier> adapterWatch_;
    HelpWindow* helpWindow_ = nullptr;
    // The screen state as last rendered; empty before the first rendering.
    std::optional<window_model::ScreenState> shown_;
    bool closing_ = false;
};

}  // namespace flash410::window
