#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace uflash8::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TemporaryFolder {
  public:
    TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// The bytes of a file as they are on disk now ("" when it does not exist).
std::string FileBytes(const std::filesystem::path& file);

// A clock that hands out the given readings in turn, starting again after the last one.
class FakeClock {
  public:
    explicit FakeClock(std::vector<double> readings) : readings_(std::move(readings)) {}
    double operator()() { return readings_[next_++ % readings_.size()]; }

  private:
    std::vector<double> readings_;
    std::size_t next_ = 0;
};

}  // namespace uflash8::test
