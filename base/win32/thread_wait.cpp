// Waiting on a thread without an event pump, with the thread's own messages handled while
// it runs, as the program's windows expect of every wait.
#include <windows.h>

#include <algorithm>
#include <atomic>

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

}  // namespace

// Only wake_waiters ends a wait early: a wait the platform refuses is no reason to, since
// callers take an early end for shutdown. It sleeps in slices for its time instead.
bool wait_unless_woken(std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + duration;
    const HANDLE wake = wake_event();
    while (!woken) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return true;
        }
        // Whole milliseconds below INFINITE; a longer wait goes round again.
        const auto wait = static_cast<DWORD>(
            std::min<std::chrono::milliseconds::rep>(left.count(), INFINITE - 1));
        const DWORD woke =
            wake ? MsgWaitForMultipleObjects(1, &wake, FALSE, wait, kAllInput) : WAIT_FAILED;
        if (woke == WAIT_OBJECT_0 + 1) {
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
