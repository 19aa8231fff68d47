// Prints how long the simulated modem takes, at several baud rates, for exchanges whose time on a real
// cable is known (10 bits a byte), and how much processor time it uses while it waits. Figures only.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "modem_sim/block_format.h"
#include "modem_sim/modem_simulator.h"
#include "platform/unique_fd.h"

namespace {

using Clock = std::chrono::steady_clock;
using flash410::platform::UniqueFd;

constexpr int kBlocks = 12;

class Pc {
  public:
    explicit Pc(const std::string& device) : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (!fd_.valid()) {
            throw std::runtime_error("cannot open " + device);
        }
    }
    int fd() const { return fd_.get(); }
    void Send(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t count = ::write(fd_.get(), bytes, size);
            if (count <= 0) {
                throw std::runtime_error("write failed");
            }
            bytes += count;
            size -= static_cast<std::size_t>(count);
        }
    }
    void Send(const std::string& text) { Send(text.data(), text.size()); }
    std::string ReadLine() {
        std::string line;
        while (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) {
            pollfd watched{fd_.get(), POLLIN, 0};
            char byte = 0;
            if (::poll(&watched, 1, 10000) <= 0 || ::read(fd_.get(), &byte, 1) != 1) {
                throw std::runtime_error("the modem went quiet");
            }
            line.push_back(byte);
        }
        return line;
    }

  private:
    UniqueFd fd_;
};

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double LineMilliseconds(int bytes, int baud) {
    return bytes * 10.0 * 1000.0 / baud;
}

void PrintFigures(const char* what, int baud, int bytes, const std::vector<double>& measured) {
    const double ideal = LineMilliseconds(bytes, baud);
    const double mean =
        std::accumulate(measured.begin(), measured.end(), 0.0) / static_cast<double>(measured.size());
    const auto [low, high] = std::minmax_element(measured.begin(), measured.end());
    std::printf("%-38s %6d baud  line %8.2f ms  measured mean %8.2f (min %8.2f, max %8.2f)  error %+6.2f%%\n",
                what, baud, ideal, mean, *low, *high, 100.0 * (mean - ideal) / ideal);
}

void MeasureAt(int baud, bool followPort) {
    modemsim::SimConfig config;
    if (followPort) {
        config.pacing.followPort = true;
    } else {
        config.pacing.baud = baud;
    }
    modemsim::ModemSimulator modem(config);
    Pc pc(modem.devicePath());
    if (followPort) {
        termios settings{};
        ::tcgetattr(pc.fd(), &settings);
        ::cfsetspeed(&settings, baud == 9600 ? B9600 : baud == 19200 ? B19200 : B38400);
        ::tcsetattr(pc.fd(), TCSANOW, &settings);
    }

    // The first request only wakes the modem up (it looks for a program every 15 ms while none is
    // attached); the requests after it measure "UP BULK" CR in, "READY" CR LF out.
    pc.Send("UP BULK\r");
    pc.ReadLine();
    std::vector<double> ready;
    for (int i = 0; i < kBlocks; ++i) {
        const auto start = Clock::now();
        pc.Send("UP BULK\r");
        pc.ReadLine();
        ready.push_back(Milliseconds(Clock::now() - start));
    }
    pc.Send("GO\r");
    while (pc.ReadLine() != "SEND BLOCK\r\n") {
    }

    // A block in, "SEND BLOCK" CR LF out.
    std::vector<double> blocks;
    std::vector<std::uint8_t> data(modemsim::kBlockDataSize);
    for (int i = 0; i < kBlocks; ++i) {
        std::fill(data.begin(), data.end(), static_cast<std::uint8_t>(i));
        const auto block = modemsim::EncodeBlock(static_cast<std::uint32_t>(i) * 0x400,
                                                 modemsim::BlockData(data.data(), data.size()));
        const auto start = Clock::now();
        pc.Send(block.data(), block.size());
        pc.ReadLine();
        blocks.push_back(Milliseconds(Clock::now() - start));
    }
    const char* how = followPort ? "(rate from the port)" : "";
    PrintFigures((std::string("request+READY ") + how).c_str(), baud, 8 + 7, ready);
    PrintFigures((std::string("block+SEND BLOCK ") + how).c_str(), baud, 1031 + 12, blocks);
}

double ProcessCpuMilliseconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void MeasureIdleCost() {
    const auto window = std::chrono::seconds(2);
    modemsim::ModemSimulator modem(modemsim::SimConfig{});
    double before = ProcessCpuMilliseconds();
    std::this_thread::sleep_for(window);
    std::printf("idle, nobody attached: %.1f ms of processor time a second\n",
                (ProcessCpuMilliseconds() - before) / 2.0);
    Pc pc(modem.devicePath());
    before = ProcessCpuMilliseconds();
    std::this_thread::sleep_for(window);
    std::printf("idle, program attached: %.1f ms of processor time a second\n",
                (ProcessCpuMilliseconds() - before) / 2.0);
}

}  // namespace

int main() {
    try {
        for (const int baud : {9600, 19200, 38400}) {
            MeasureAt(baud, false);
        }
        MeasureAt(19200, true);
        MeasureIdleCost();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "modem_sim_pacing_bench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
