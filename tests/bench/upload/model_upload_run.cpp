#include "model_upload_run.h"

#include <vector>

#include "platform/file_locations.h"
#include "platform/time_of_day.h"
#include "support/program_folder.h"
#include "support/test_ui_thread.h"
#include "window_model/main_window_model.h"

namespace flash410::bench {

namespace {

using std::chrono::milliseconds;

constexpr int kModemPort = 2;
// Only keeps a broken upload from hanging the benchmark (20 minutes of 50 ms ticks).
constexpr int kMostTicks = 24000;

// The window's part: its timer ticks the window model at the timer's interval (500 ms until READY, 50 ms
// after), whatever arrives, and between ticks its event loop hands on the serial component's notifications as
// they come; a reply line runs the engine from there at once. (The upload tests bring the tick forward
// when bytes arrive, to run at the modem's pace; the window does not, so neither does this.)
class WindowLoop {
  public:
    WindowLoop(test_support::TestUiThread& ui, window_model::MainWindowModel& model)
        : ui_(ui), model_(model) {}

    bool RunUntilIdle() {
        for (int tick = 0; tick < kMostTicks; ++tick) {
            const Clock::time_point tickStart = Clock::now();
            model_.Tick();
            if (model_.Idle()) {
                return true;
            }
            HandleEventsUntil(tickStart + milliseconds(model_.screen().Timer.IntervalMs));
        }
        return false;
    }

  private:
    void HandleEventsUntil(Clock::time_point due) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(due - Clock::now());
            if (left <= std::chrono::microseconds::zero()) {
                return;
            }
            if (ui_.WaitForWork(std::chrono::ceil<milliseconds>(left))) {
                ui_.RunPending();
            }
        }
    }

    test_support::TestUiThread& ui_;
    window_model::MainWindowModel& model_;
};

}  // namespace

ModelUpload UploadThroughModel(const std::string& firmwareFile, int baud) {
    const test_support::ProgramFolder folder;
    test_support::TestUiThread ui;
    std::vector<std::string> errors;
    TimedModem modem(modemsim::PortLinkRequest{folder.folder(), kModemPort});
    // The chooser names the file in full.
    const std::string chosen = firmwareFile;
    window_model::MainWindowModel model(window_model::WindowModelEnvironment{
        .postToUiThread = ui.Poster(),
        .showLineError = [&errors](const std::string& text) { errors.push_back(text); },
        .processPendingEvents = [&ui] { ui.RunPending(); },
        .clock = platform::LocalTimeOfDaySeconds,
        .files = BesideProgram(folder.folder()),
        .chooseFile = [&chosen](const std::string&) { return chosen; }});
    WindowLoop window(ui, model);
    model.Activate();

    ModelUpload result;
    model.screen().PortList.SelectText(std::to_string(kModemPort));
    model.screen().BaudList.SelectText(std::to_string(baud));
    model.OpenPort();
    if (!window.RunUntilIdle()) {
        result.outcome = "the port did not open: " + model.screen().PortStatusLine.Caption;
        return result;
    }
    model.ChooseFile();
    if (!window.RunUntilIdle() || !model.screen().RunPanel.Visible) {
        result.outcome = "the file was not made ready: " + model.screen().FileStatusLine.Caption;
        return result;
    }
    model.StartUpload();
    window.RunUntilIdle();
    result.outcome = model.screen().ResultLine.Caption;
    result.modem = modem.FirstUpload();
    model.WindowClosing();
    return result;
}

}  // namespace flash410::bench
