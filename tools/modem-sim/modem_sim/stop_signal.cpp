#include "modem_sim/stop_signal.h"

#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace modemsim {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!fd_.valid()) {
        throw std::system_error(errno, std::generic_category(), "cannot create the stop signal");
    }
}

void StopSignal::Request() {
    // Nobody reads the counter, so the descriptor stays readable; a full counter is already a request.
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd_.get(), &one, sizeof one);
}

}  // namespace modemsim
