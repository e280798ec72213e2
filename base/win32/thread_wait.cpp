// Waiting on a thread without an event pump, with the thread's own messages handled while
// it runs, as the program's windows expect of every wait.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#include "base/backend.h"

namespace velmora::backend {

namespace {

constexpr DWORD kAllInput = 0xFF;  // keys, mouse, posted and sent messages, timers, paint, hot keys
// How long a wait that the platform refuses sleeps before it looks at the clock again.
constexpr std::chrono::milliseconds kFallbackSlice{50};

// Set by wake_waiters, so a wait ends even where the event could not be made or waited on.
std::atomic<bool> woken{false};

// Manual reset: once shutdown wakes the waiters, every later wait ends at once too.
HANDLE wake_event() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

// The events of the waits that a nudge makes look again, one a waiting thread.
struct NudgedWaits {
    std::mutex mutex;
    std::vector<HANDLE> events;
};

NudgedWaits& nudged_waits() {
    static NudgedWaits waits;
    return waits;
}

// The calling thread's auto-reset event for its nudged waits, closed with the thread.
HANDLE thread_nudge_event() {
    struct Event {
        HANDLE handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        ~Event() {
            if (handle) {
                CloseHandle(handle);
            }
        }
    };
    thread_local const Event event;
    return event.handle;
}

// Listed before the wait first looks at `nudged`, so a nudge after that look still sets
// the event; one that came before it leaves the event set, which costs a look only.
class NudgeListing {
  public:
    explicit NudgeListing(HANDLE event) : event_(event) {
        std::lock_guard lock(nudged_waits().mutex);
        nudged_waits().events.push_back(event_);
    }
    ~NudgeListing() {
        std::lock_guard lock(nudged_waits().mutex);
        std::erase(nudged_waits().events, event_);
    }
    NudgeListing(const NudgeListing&) = delete;
    NudgeListing& operator=(const NudgeListing&) = delete;

  private:
    HANDLE event_;
};

}  // namespace

// Only wake_waiters ends a wait early: a wait the platform refuses is no reason to, since
// callers take an early end for shutdown. It sleeps in slices for its time instead.
bool wait_unless_woken(std::chrono::milliseconds duration, const std::function<bool()>& nudged) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + duration;
    HANDLE events[2] = {wake_event(), nudged ? thread_nudge_event() : nullptr};
    const DWORD count = events[1] ? 2 : 1;
    std::optional<NudgeListing> listing;
    if (events[1]) {
        listing.emplace(events[1]);
    }
    while (!woken) {
        if (nudged && nudged()) {
            return true;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return true;
        }
        // Whole milliseconds below INFINITE; a longer wait goes round again.
        const auto wait = static_cast<DWORD>(
            std::min<std::chrono::milliseconds::rep>(left.count(), INFINITE - 1));
        // Without the nudge event a nudged wait could not be woken: it sleeps in slices
        // too, looking at `nudged` after each.
        const bool can_wait = events[0] && (!nudged || events[1]);
        const DWORD woke = can_wait
                               ? MsgWaitForMultipleObjects(count, events, FALSE, wait, kAllInput)
                               : WAIT_FAILED;
        if (woke == WAIT_OBJECT_0 + count) {
            process_thread_messages();
        } else if (woke == WAIT_FAILED) {
            Sleep(static_cast<DWORD>(
                std::min<std::chrono::milliseconds::rep>(wait, kFallbackSlice.count())));
        }
    }
    return false;
}

void wake_waiters() {
    woken = true;
    SetEvent(wake_event());
}

void nudge_waiters() {
    std::lock_guard lock(nudged_waits().mutex);
    for (const HANDLE event : nudged_waits().events) {
        SetEvent(event);
    }
}

void rearm_waiters() {
    woken = false;
    ResetEvent(wake_event());
}

// One message at a time while any waits, leaving a quit message for the thread's own loop.
void process_thread_messages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace velmora::backend
