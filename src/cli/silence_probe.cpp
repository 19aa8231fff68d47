#include "cli/silence_probe.h"

#include "upload/modem_line.h"

namespace flash410::cli {

SilenceProbe::SilenceProbe(const std::string& linkFolder, const session::PortChoice& port, std::int32_t baud,
                           upload::UploadRequest request, serial::PostToUiThread postToLoop,
                           Clock::duration quietTime, Clock::time_point now)
    : port_(std::make_unique<serial::SerialPort>(serial::SerialEnvironment{
          std::move(postToLoop),
          [](const std::string&) {},  // a port that fails or is gone is only one more silence
          {}})),
      request_(upload::RequestLine(request)),
      quietTime_(quietTime),
      lastHeard_(now) {
    upload::ConfigureLine(*port_);
    port_->SetPortMap(session::PortMapFor(linkFolder, port));
    port_->SetPort(port.Number);
    port_->SetBaudrate(baud);
    port_->OnRxData = [this](serial::SerialPort*) { Receive(); };
}

SilenceProbe::~SilenceProbe() {
    port_->SetActive(false);
}

void SilenceProbe::Ask() {
    if (!port_->Active()) {
        port_->SetActive(true);
    }
    if (port_->Active()) {
        port_->WriteString(request_);
    }
}

void SilenceProbe::Receive() {
    std::string received;
    if (port_->ReadString(received) > 0) {
        lastHeard_ = Clock::now();
    }
}

}  // namespace flash410::cli
