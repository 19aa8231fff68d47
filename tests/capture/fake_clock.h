#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace flash410::capture::test {

// A clock that hands out the given readings in turn, starting again after the last one.
class FakeClock {
  public:
    explicit FakeClock(std::vector<double> readings) : readings_(std::move(readings)) {}
    double operator()() { return readings_[next_++ % readings_.size()]; }

  private:
    std::vector<double> readings_;
    std::size_t next_ = 0;
};

}  // namespace flash410::capture::test
