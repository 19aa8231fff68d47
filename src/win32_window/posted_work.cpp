#include "win32_window/posted_work.h"

#include <utility>

namespace flash410::win32_window {

PostedWork::PostedWork(HWND window) : queue_(std::make_shared<Queue>()) {
    queue_->window = window;
}

PostedWork::~PostedWork() {
    Discard();
}

serial::PostToUiThread PostedWork::Poster() const {
    // The poster keeps the queue alive: a thread may post after the window has gone.
    return [queue = queue_](std::function<void()> work) {
        auto owned = std::make_unique<std::function<void()>>(std::move(work));
        const std::function<void()>* carried = owned.get();
        std::lock_guard lock(queue->mutex);
        // Listed before the window can take it: taking it needs the lock held here.
        if (queue->open && PostMessageW(queue->window, kMessage, 0, reinterpret_cast<LPARAM>(carried)) != 0) {
            queue->waiting.emplace(carried, std::move(owned));
        }
    };
}

bool PostedWork::Run(LPARAM carried) {
    std::unique_ptr<std::function<void()>> work;
    {
        std::lock_guard lock(queue_->mutex);
        const auto found = queue_->waiting.find(reinterpret_cast<const std::function<void()>*>(carried));
        if (found == queue_->waiting.end()) {
            return false;
        }
        work = std::move(found->second);
        queue_->waiting.erase(found);
    }
    (*work)();
    return true;
}

void PostedWork::RunQueued() {
    MSG message;
    while (PeekMessageW(&message, queue_->window, kMessage, kMessage, PM_REMOVE) != 0) {
        Run(message.lParam);
    }
}

void PostedWork::Discard() {
    std::map<const std::function<void()>*, std::unique_ptr<std::function<void()>>> unrun;
    {
        std::lock_guard lock(queue_->mutex);
        queue_->open = false;
        unrun.swap(queue_->waiting);
    }
    // Their messages go too, so that nothing is left pointing at freed work.
    MSG message;
    while (PeekMessageW(&message, queue_->window, kMessage, kMessage, PM_REMOVE) != 0) {
    }
}

}  // namespace flash410::win32_window
