// MainWindow: the main window. It makes the controls of the window's layout at their designed places,
// forwards clicks, timer ticks and the serial port's notifications to the window model, and renders the
// window model's screen state after each.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "serial/adapter_monitor.h"
#include "serial/port_map.h"
#include "window_model/drawn_screen.h"
#include "window_model/main_window_model.h"
#include "window_model/window_layout.h"

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
    MainWindow(flash410::platform::FileLocations files, std::string homeFolder, MessageBox messageBox = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // One tick of Timer, as the timer runs it.
    void Tick();

    window_model::MainWindowModel& model() { return model_; }
    // The help window, once Help has been pressed.
    HelpWindow* helpWindow() const { return helpWindow_; }

    // A control by its id, as the widget it is, for tests that press buttons and read what the operator
    // sees; null for a control of another kind.
    template <typename Widget = QWidget>
    Widget* Control(window_model::ControlId id) const {
        return dynamic_cast<Widget*>(controls_.at(id));
    }
    QTimer* Timer = nullptr;
    // The file chooser, created after the window's own start-up.
    FileChooserDialog* FileChooser = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    QWidget* MakeControl(const window_model::ControlDescription& control, QWidget* parent);
    void ConnectControls();
    void DescribePorts();
    // Adapters coming and going reach the model as they happen, where the system can tell.
    void WatchAdapters();
    // Runs one of the window model's handlers, then shows what it changed.
    template <typename Handler>
    void Forward(Handler handler) {
        handler();
        Render();
    }
    void Render();
    void Draw(const window_model::ControlDescription& control, const window_model::ScreenState& s);
    void TakeRequests();
    void ShowHelp(int topic);
    std::optional<std::string> ChooseFile(const std::string& filter);

    std::string helpFile_;
    MessageBox messageBox_;
    // Which device each port of the list stands for, for the list's tips.
    serial::PortMap portMap_;
    window_model::MainWindowModel model_;
    serial::AdapterMonitor adapterMonitor_;
    // The watch on the monitor; it goes before the monitor's descriptor does.
    std::unique_ptr<QSocketNotifier> adapterWatch_;
    HelpWindow* helpWindow_ = nullptr;
    // Every control of the window's layout, by id.
    std::map<window_model::ControlId, QWidget*> controls_;
    window_model::DrawnScreen drawn_;
    bool closing_ = false;
};

}  // namespace flash410::window
