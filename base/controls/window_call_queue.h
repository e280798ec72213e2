// Carries calls from any thread out on the window thread and waits for their results, the
// way the platform's synchronous window requests do. On the window thread a call runs
// directly. Each window layer supplies only how the window thread is recognised and woken.
//
// Once shutdown has begun every call returns its empty result at once, and calls still
// waiting are released with theirs: a thread never hangs on a window that has gone away.
// Work that has not started by then is dropped; work must own its data (capture by
// value), since its caller may be gone when it runs.
//
// The work is handed over in a queue under our own lock, and the window system only wakes
// the window thread up. That keeps every hand-over visible to ThreadSanitizer, which
// cannot see into a toolkit's own locking.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace velmora {

class WindowCallQueue {
  public:
    // `on_window_thread` tells whether the calling thread is the window thread. `wake`
    // asks the window thread to call run_queued() soon; false when it cannot be reached.
    // It is called with the queue's lock held, so that everything up to the wake-up
    // happens before the work runs.
    WindowCallQueue(std::function<bool()> on_window_thread, std::function<bool()> wake)
        : on_window_thread_(std::move(on_window_thread)), wake_(std::move(wake)) {}
    WindowCallQueue(const WindowCallQueue&) = delete;
    WindowCallQueue& operator=(const WindowCallQueue&) = delete;

    // Runs `work` (returning R) on the window thread; `empty` when shutdown has begun.
    template <class R, class Work>
    R run(R empty, Work work);
    // The same for work without a result.
    template <class Work>
    void run(Work work) {
        run(false, [work = std::move(work)]() mutable {
            work();
            return true;
        });
    }

    // Queues `task` to run on the window thread and returns at once, without its result;
    // false (the task dropped) when shutdown has begun or the window thread cannot be
    // reached. For news a window shows, which its sender need not wait for.
    bool post(std::function<void()> task);

    // From any thread; idempotent.
    void begin_shutdown();
    bool shutting_down() const;

    // On the window thread, when woken: runs the queued work in order.
    void run_queued();

  private:
    template <class R>
    struct Result {
        std::optional<R> value;
    };

    const std::function<bool()> on_window_thread_;
    const std::function<bool()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<std::function<void()>> queue_;
    bool shutting_down_ = false;
};

template <class R, class Work>
R WindowCallQueue::run(R empty, Work work) {
    if (on_window_thread_()) {
        return shutting_down() ? empty : work();
    }
    auto result = std::make_shared<Result<R>>();
    bool posted = post([this, result, work = std::move(work)]() mutable {
        R value = work();
        std::lock_guard lock(mutex_);
        result->value = std::move(value);
    });
    if (!posted) {
        return empty;
    }
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return result->value.has_value() || shutting_down_; });
    return result->value ? std::move(*result->value) : empty;
}

}  // namespace velmora
