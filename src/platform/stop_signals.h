// Ctrl+C, SIGTERM and SIGHUP (on Windows, the console's Ctrl+C, Ctrl+Break and close) during an upload: instead
// of ending the program at once, they ask the upload loop to stop, so that no byte goes out after the
// current write and every port is closed.
#pragma once

namespace flash410::cli {

class StopSignals {
  public:
    // Catches the signals for as long as the object lives.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Whether one of the signals has come since the object was made.
    bool Requested() const;
};

}  // namespace flash410::cli
