// Waiting on a thread without an event pump: a condition variable with a deadline.
#include <condition_variable>
#include <mutex>

#include "base/backend.h"

namespace velmora::backend {

namespace {

struct Waiters {
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
};

Waiters& waiters() {
    static Waiters state;
    return state;
}

}  // namespace

bool wait_unless_woken(std::chrono::milliseconds duration, const std::function<bool()>& nudged) {
    Waiters& state = waiters();
    std::unique_lock lock(state.mutex);
    state.wake.wait_for(lock, duration, [&] { return state.woken || (nudged && nudged()); });
    return !state.woken;
}

void wake_waiters() {
    Waiters& state = waiters();
    {
        std::lock_guard lock(state.mutex);
        state.woken = true;
    }
    state.wake.notify_all();
}

// Through the lock: a waiter that has just found `nudged` false is asleep before the
// notification, so it cannot miss it.
void nudge_waiters() {
    Waiters& state = waiters();
    { std::lock_guard lock(state.mutex); }
    state.wake.notify_all();
}

void rearm_waiters() {
    Waiters& state = waiters();
    std::lock_guard lock(state.mutex);
    state.woken = false;
}

// Linux threads have no message queue of their own.
void process_thread_messages() {}

}  // namespace velmora::backend
