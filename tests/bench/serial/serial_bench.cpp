// Figures for the serial component on a pseudo-terminal: bytes per second through WriteChar and
// WriteString, and the CPU time the event thread takes while an open port is idle.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "serial/serial_port.h"
#include "support/program_folder.h"
#include "support/pseudo_terminal.h"

using namespace flash410::serial;
using Clock = std::chrono::steady_clock;

namespace {

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Reads and discards whatever the component sends, counting it.
class Drain {
  public:
    explicit Drain(int fd)
        : thread_([this, fd] {
              char buffer[65536];
              while (running_) {
                  const ssize_t n = ::read(fd, buffer, sizeof buffer);
                  if (n > 0)
                      count_ += static_cast<std::size_t>(n);
                  if (n <= 0)
                      std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          }) {}
    ~Drain() {
        running_ = false;
        thread_.join();
    }
    std::size_t count() const { return count_; }

  private:
    std::atomic<bool> running_{true};
    std::atomic<std::size_t> count_{0};
    std::thread thread_;
};

template <typename Send>
double BytesPerSecond(std::size_t total, const Drain& drain, Send send) {
    const std::size_t before = drain.count();
    const auto start = Clock::now();
    send();
    while (drain.count() - before < total) std::this_thread::yield();
    return static_cast<double>(total) / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    flash410::test_support::PseudoTerminal pty;
    flash410::test_support::ProgramFolder folder;
    folder.Link(1, pty.slavePath());
    ::fcntl(pty.masterFd(), F_SETFL, ::fcntl(pty.masterFd(), F_GETFL) | O_NONBLOCK);

    // No window here: notifications run straight away on the event thread, and nobody is notified.
    SerialEnvironment environment;
    environment.postToUiThread = [](std::function<void()> work) { work(); };
    environment.showErrorBox = [](const std::string& text) {
        std::fprintf(stderr, "error: %s\n", text.c_str());
    };
    SerialPort serial(environment);
    serial.SetPortMap(PortMap(folder.folder()));
    serial.SetDataBits(DataBits::kEight);
    serial.SetCheckParity(false);
    serial.SetBaudrate(38400);
    serial.SetActive(true);
    if (!serial.Active())
        return 1;

    {
        Drain drain(pty.masterFd());
        constexpr std::size_t kCharBytes = 200'000;
        const double perChar = BytesPerSecond(kCharBytes, drain, [&] {
            for (std::size_t i = 0; i < kCharBytes; ++i) serial.WriteChar(static_cast<std::uint8_t>(i));
        });
        constexpr std::size_t kBlocks = 4000;
        const std::string block(1031, 'B');
        const double perString = BytesPerSecond(kBlocks * block.size(), drain, [&] {
            for (std::size_t i = 0; i < kBlocks; ++i) serial.WriteString(block);
        });
        std::printf("WriteChar:   %.0f bytes/s (%zu single-byte writes)\n", perChar, kCharBytes);
        std::printf("WriteString: %.0f bytes/s (%zu writes of 1031 bytes)\n", perString, kBlocks);
        std::printf("(the line itself carries 3840 bytes/s at 38400 baud)\n");
    }

    constexpr double kIdleSeconds = 10.0;
    const double cpuBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(kIdleSeconds));
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    std::printf("Idle open port for %.0f s: %.4f s CPU, %.4f %% of a core\n", kIdleSeconds, cpu,
                100.0 * cpu / kIdleSeconds);
    serial.SetActive(false);
    return 0;
}
