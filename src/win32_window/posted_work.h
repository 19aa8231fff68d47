// Work that other threads hand to the window's thread (the serial component's notifications). Each piece
// travels in a private window message that carries it on the heap; it runs when the window handles the
// message and is freed then. The pieces are also listed here, so that the window runs only work it was
// given (a message from elsewhere that looks alike is ignored) and frees what is still queued when it goes.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "serial/ui_call.h"

namespace flash410::win32_window {

class PostedWork {
  public:
    // The private message; its lParam carries the work.
    static constexpr UINT kMessage = WM_APP + 1;

    explicit PostedWork(HWND window);
    // Discards what is still queued.
    ~PostedWork();
    PostedWork(const PostedWork&) = delete;
    PostedWork& operator=(const PostedWork&) = delete;

    // Posts work to the window from any thread. Work posted once the window has stopped taking it, or
    // that the system's queue refuses (it is full), is freed at once without running.
    serial::PostToUiThread Poster() const;

    // Runs the work that a kMessage carries, if it was posted here and is still waiting; on the window's
    // thread. Returns whether it ran.
    bool Run(LPARAM carried);
    // Runs every piece of work queued for the window now, before any other message: what a tick does
    // first, as the Qt window's processEvents does.
    void RunQueued();
    // Stops taking work and frees what is queued, unrun. On the window's thread.
    void Discard();

  private:
    struct Queue {
        std::mutex mutex;
        HWND window = nullptr;
        bool open = true;
        // The work posted and not yet run, by the address its message carries.
        std::map<const std::function<void()>*, std::unique_ptr<std::function<void()>>> waiting;
    };

    std::shared_ptr<Queue> queue_;
};

}  // namespace flash410::win32_window
