#include "app/qt/window_thread_calls.h"

#include <QMetaObject>

namespace velmora {

void WindowThreadCalls::begin_shutdown() {
    {
        std::lock_guard lock(mutex_);
        shutting_down_ = true;
        queue_.clear();
    }
    finished_.notify_all();
}

bool WindowThreadCalls::shutting_down() const {
    std::lock_guard lock(mutex_);
    return shutting_down_;
}

bool WindowThreadCalls::post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    if (shutting_down_) {
        return false;
    }
    queue_.push_back(std::move(task));
    // Posted under the lock that run_queued takes first, so that everything up to and
    // including the wake-up happens before the work runs, as ThreadSanitizer can see.
    QMetaObject::invokeMethod(this, "run_queued", Qt::QueuedConnection);
    return true;
}

void WindowThreadCalls::run_queued() {
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
