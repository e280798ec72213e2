#include "app/qt/window_thread_calls.h"

namespace velmora {

void WindowThreadCalls::begin_shutdown() {
    {
        std::lock_guard lock(mutex_);
        shutting_down_ = true;
    }
    finished_.notify_all();
}

bool WindowThreadCalls::shutting_down() const {
    std::lock_guard lock(mutex_);
    return shutting_down_;
}

}  // namespace velmora
