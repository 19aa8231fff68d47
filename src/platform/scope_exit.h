// Runs a function when the scope that holds it ends, however it ends: a flag set for the length of a call
// is put back even when the call throws.
#pragma once

#include <utility>

namespace flash410::platform {

template <typename Function>
class [[nodiscard]] ScopeExit {
  public:
    explicit ScopeExit(Function function) : function_(std::move(function)) {}
    ~ScopeExit() { function_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

  private:
    Function function_;
};

}  // namespace flash410::platform
