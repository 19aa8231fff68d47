// Whether bytes have arrived on the line since the event thread last said so. Neither the driver's
// wake-ups nor its queue count tell that alone: a wake-up may come when nothing new came in (on the
// sending side, while unread bytes wait), and bytes left unread stay in the count. So the reader counts
// the bytes it takes, and the event thread adds those still waiting in the driver: the sum grows only
// when bytes arrive. Shared by the backends, each of which asks its own driver for the waiting count.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace flash410::serial {

class ArrivalCount {
  public:
    // Starts again at nothing taken and nothing reported, for a port opened anew.
    void Reset() {
        taken_ = 0;
        reported_ = 0;
    }

    // The reader, on any thread: bytes it has taken from the driver.
    void CountTaken(std::size_t count) { taken_ += count; }

    // The event thread: whether bytes have arrived since this last said so. waitingCount() asks the
    // driver how many received bytes wait unread, returning nothing when it cannot tell; this returns
    // nothing then too. The count taken is read before the driver is asked: a byte taken in between is
    // counted in neither, so the sum never runs ahead of what has arrived and a later arrival is never
    // missed.
    template <typename WaitingCount>
    std::optional<bool> ArrivedSinceLastReport(WaitingCount waitingCount) {
        const std::uint64_t taken = taken_;
        const std::optional<std::uint64_t> waiting = waitingCount();
        if (!waiting) {
            return std::nullopt;
        }
        const std::uint64_t arrived = taken + *waiting;
        if (arrived <= reported_) {
            return false;
        }
        reported_ = arrived;
        return true;
    }

  private:
    std::atomic<std::uint64_t> taken_{0};
    std::uint64_t reported_ = 0;  // the event thread's own
};

}  // namespace flash410::serial
