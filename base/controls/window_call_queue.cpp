#include "base/controls/window_call_queue.h"

namespace velmora {

void WindowCallQueue::begin_shutdown() {
    {
        std::lock_guard lock(mutex_);
        shutting_down_ = true;
        queue_.clear();
    }
    finished_.notify_all();
}

bool WindowCallQueue::shutting_down() const {
    std::lock_guard lock(mutex_);
    return shutting_down_;
}

bool WindowCallQueue::post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    if (shutting_down_) {
        return false;
    }
    queue_.push_back(std::move(task));
    if (!wake_()) {
        queue_.pop_back();
        return false;
    }
    return true;
}

void WindowCallQueue::run_queued() {
    while (true) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                return;
            }
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        // A task may open a nested event loop (a message box) that runs this again; each
        // task is still taken exactly once.
        task();
        finished_.notify_all();
    }
}

}  // namespace velmora
