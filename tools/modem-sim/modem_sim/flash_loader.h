// The modem's flash loader serving the line: it waits for a program to open the port, leads upload
// after upload (Repeat Upload keeps the port open), and waits again when the program closes it.
#pragma once

#include <cstdint>
#include <functional>

#include "modem_sim/flash_image.h"
#include "modem_sim/sim_config.h"
#include "modem_sim/terminal_line.h"
#include "modem_sim/upload_report.h"

namespace modemsim {

class FlashLoader {
  public:
    // Called at the end of every upload with its report and the flash as the upload left it.
    using Observer = std::function<void(const UploadReport&, const FlashImage&)>;

    // master: the pseudo-terminal master; stopFd: readable once the loader must end.
    FlashLoader(int master, int stopFd, SimConfig config, Observer observer);

    // Returns on a stop request, after the upload limit, or when the port closes and endOnHangUp is set.
    void Serve();

  private:
    enum class ConnectionEnd { kHungUp, kStopped, kLimitReached };

    ConnectionEnd ServeConnection();
    void Log(const std::string& message) const;

    SimConfig config_;
    TerminalLine line_;
    FlashImage flash_;
    Observer observer_;
    int uploads_ = 0;
};

}  // namespace modemsim
