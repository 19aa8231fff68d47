// A thread of its own that waits for a descriptor to turn readable and calls a function each time it does,
// until the watch goes: what lets a program that polls slowly hear of a device monitor's news at once.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "platform/unique_fd.h"

namespace flash410::serial {

class ReadableWatch {
  public:
    // Starts the thread, which waits on fd (owned by the caller, open for as long as the watch lives) and
    // calls readable each time it polls readable or reports an error. readable must read what is there
    // (else it is called again at once) and must not throw. The thread takes no signal: a program's stop
    // signals go to the threads that wait for them.
    ReadableWatch(int fd, std::function<void()> readable);
    // Stops the thread and waits for it; a call of readable under way ends first.
    ~ReadableWatch();
    ReadableWatch(const ReadableWatch&) = delete;
    ReadableWatch& operator=(const ReadableWatch&) = delete;

    // Whether the thread waits: false when it could not start, or ended as the descriptor did (closed, or
    // hung up with nothing left to read).
    bool Watching() const;

  private:
    void Run();

    int fd_;
    std::function<void()> readable_;
    platform::UniqueFd stop_;  // an eventfd that the destructor makes readable
    std::atomic<bool> watching_{false};
    std::thread thread_;
};

}  // namespace flash410::serial
