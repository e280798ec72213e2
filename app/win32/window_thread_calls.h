// Carries calls from any thread out on the window thread and waits for their results, as
// the platform's synchronous window requests do: the work is queued under our own lock
// and a message posted to a message-only window of the window thread runs it there. On
// the window thread a call runs directly.
//
// Once shutdown has begun every call returns its empty result at once, and calls still
// waiting are released with theirs: a thread never hangs on a window that has gone away.
// Work that has not started by then is dropped; work must own its data (capture by
// value), since its caller may be gone when it runs.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace velmora {

class WindowThreadCalls {
  public:
    // The window thread is the creating thread; destroy it there too.
    WindowThreadCalls();
    ~WindowThreadCalls();
    WindowThreadCalls(const WindowThreadCalls&) = delete;
    WindowThreadCalls& operator=(const WindowThreadCalls&) = delete;

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

    // From any thread; idempotent.
    void begin_shutdown();
    bool shutting_down() const;

  private:
    template <class R>
    struct Result {
        std::optional<R> value;
    };

    // Queues `task` and wakes the window thread; false when shutdown has begun or the
    // window thread can no longer be reached.
    bool post(std::function<void()> task);
    void run_queued();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    const DWORD window_thread_ = GetCurrentThreadId();
    HWND receiver_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    std::deque<std::function<void()>> queue_;
    bool shutting_down_ = false;
};

template <class R, class Work>
R WindowThreadCalls::run(R empty, Work work) {
    if (GetCurrentThreadId() == window_thread_) {
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
