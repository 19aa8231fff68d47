#include "modem_sim/modem_simulator.h"

#include <exception>
#include <stdexcept>

#include "modem_sim/block_format.h"
#include "modem_sim/flash_loader.h"

namespace modemsim {
namespace {

SimConfig Checked(SimConfig config) {
    const std::string problem = ValidateConfig(config);
    if (!problem.empty()) {
        throw std::invalid_argument(problem);
    }
    return config;
}

}  // namespace

ModemSimulator::ModemSimulator(SimConfig config, std::optional<PortLinkRequest> link)
    : flash_(kFlashSize, 0xFF) {
    SimConfig checked = Checked(std::move(config));
    if (link) {
        link_ = std::make_unique<PortLink>(link->programFolder, link->port, terminal_.slavePath());
    }
    thread_ = std::thread(&ModemSimulator::Serve, this, std::move(checked));
}

ModemSimulator::~ModemSimulator() {
    Stop();
}

std::optional<std::filesystem::path> ModemSimulator::linkPath() const {
    if (!link_) {
        return std::nullopt;
    }
    return link_->path();
}

void ModemSimulator::Stop() {
    stop_.Request();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ModemSimulator::Serve(SimConfig config) {
    try {
        FlashLoader loader(terminal_.master(), stop_.fd(), std::move(config),
                           [this](const UploadReport& report, const FlashImage& flash) {
                               const std::lock_guard lock(mutex_);
                               reports_.push_back(report);
                               flash_ = flash.bytes();
                               changed_.notify_all();
                           });
        loader.Serve();
    } catch (const std::exception& failure) {
        const std::lock_guard lock(mutex_);
        error_ = failure.what();
    }
    const std::lock_guard lock(mutex_);
    running_ = false;
    changed_.notify_all();
}

bool ModemSimulator::WaitForUploads(std::size_t count, std::chrono::milliseconds guard) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, guard, [&] { return reports_.size() >= count || !running_; });
    return reports_.size() >= count;
}

bool ModemSimulator::WaitUntilEnded(std::chrono::milliseconds guard) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, guard, [&] { return !running_; });
}

std::vector<UploadReport> ModemSimulator::Reports() const {
    const std::lock_guard lock(mutex_);
    return reports_;
}

std::vector<std::uint8_t> ModemSimulator::Flash() const {
    const std::lock_guard lock(mutex_);
    return flash_;
}

bool ModemSimulator::Running() const {
    const std::lock_guard lock(mutex_);
    return running_;
}

std::string ModemSimulator::Error() const {
    const std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace modemsim
