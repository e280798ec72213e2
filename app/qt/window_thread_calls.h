// Carries calls from any thread out on the window thread and waits for their results, the
// way the platform's synchronous window requests do. On the window thread a call runs
// directly.
//
// Once shutdown has begun every call returns its empty result at once, and calls still
// waiting are released with theirs: a thread never hangs on a window that has gone away.
// A released call's work is dropped if it has not started yet; work must therefore own
// its data (capture by value), since its caller may be gone when it runs.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace velmora {

class WindowThreadCalls {
  public:
    // Must be created on the window thread.
    WindowThreadCalls() = default;
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
    struct Call {
        std::optional<R> result;
    };

    mutable std::mutex mutex_;
    std::condition_variable finished_;
    bool shutting_down_ = false;
    // Declared last so it goes first: queued work aimed at it is dropped with it, before
    // the members that work would touch.
    QObject context_;
};

template <class R, class Work>
R WindowThreadCalls::run(R empty, Work work) {
    if (shutting_down()) {
        return empty;
    }
    if (QThread::currentThread() == context_.thread()) {
        return work();
    }
    auto call = std::make_shared<Call<R>>();
    QMetaObject::invokeMethod(
        &context_,
        [this, call, work = std::move(work)]() mutable {
            if (shutting_down()) {
                return;
            }
            R result = work();
            std::lock_guard lock(mutex_);
            call->result = std::move(result);
            finished_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return call->result.has_value() || shutting_down_; });
    return call->result ? std::move(*call->result) : empty;
}

}  // namespace velmora
