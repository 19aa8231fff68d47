#include "scripted_pc.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace modemsim::testing {

ScriptedPc::ScriptedPc(const std::string& device)
    : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (!fd_.valid()) {
        throw std::system_error(errno, std::generic_category(), "cannot open " + device);
    }
}

ScriptedPc::~ScriptedPc() = default;

void ScriptedPc::Close() {
    fd_.Reset();
}

void ScriptedPc::Send(std::string_view text) {
    Send(Bytes(text.begin(), text.end()));
}

void ScriptedPc::Send(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            throw std::system_error(errno, std::generic_category(), "writing to the modem");
        }
        done += static_cast<std::size_t>(count);
    }
}

bool ScriptedPc::ReadSome(std::chrono::steady_clock::time_point until) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    pollfd watched{fd_.get(), POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(std::max<long long>(0, left.count()))) <= 0) {
        return false;
    }
    char chunk[2048];
    const ssize_t count = ::read(fd_.get(), chunk, sizeof chunk);
    if (count <= 0) {
        return false;
    }
    pending_.append(chunk, static_cast<std::size_t>(count));
    ++readsPending_;
    return true;
}

std::string ScriptedPc::ReadLine(std::chrono::milliseconds guard) {
    const auto until = std::chrono::steady_clock::now() + guard;
    for (;;) {
        const auto end = pending_.find("\r\n");
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end + 2);
            pending_.erase(0, end + 2);
            readsForLastLine_ = readsPending_;
            readsPending_ = pending_.empty() ? 0 : 1;
            return line;
        }
        if (!ReadSome(until)) {
            return std::exchange(pending_, std::string());
        }
    }
}

std::string ScriptedPc::ReadFor(std::chrono::milliseconds window) {
    const auto until = std::chrono::steady_clock::now() + window;
    while (std::chrono::steady_clock::now() < until && ReadSome(until)) {
    }
    readsPending_ = 0;
    return std::exchange(pending_, std::string());
}

Bytes BuildBlock(std::string_view addressText, const Bytes& data) {
    if (addressText.size() != 6 || data.size() != 1024) {
        throw std::invalid_argument("a block has six address characters and 1024 data bytes");
    }
    Bytes block;
    block.reserve(addressText.size() + data.size() + 1);  // one allocation; GCC 12 misreads the growth
    block.assign(addressText.begin(), addressText.end());
    block.insert(block.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (const std::uint8_t byte : block) {
        sum += byte;
    }
    block.push_back(static_cast<std::uint8_t>(sum % 256));
    return block;
}

Bytes Pattern(std::uint8_t seed) {
    Bytes data(1024);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(seed + i);
    }
    return data;
}

}  // namespace modemsim::testing
