// Waiting on a thread without an event pump: a waitable timer, with the thread's own
// messages handled while it runs, as the program's windows expect of every wait.
#include <windows.h>

#include "base/backend.h"

namespace velmora::backend {

namespace {

constexpr DWORD kAllInput = 0xFF;  // keys, mouse, posted and sent messages, timers, paint, hot keys

// Manual reset: once shutdown wakes the waiters, every later wait ends at once too.
HANDLE wake_event() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

}  // namespace

bool wait_unless_woken(std::chrono::milliseconds duration) {
    const HANDLE timer = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (timer == nullptr) {
        return false;
    }
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(duration.count()) * 10000;  // relative, 100 ns
    bool elapsed = false;
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        const HANDLE handles[] = {wake_event(), timer};
        while (true) {
            const DWORD woke = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, kAllInput);
            if (woke == WAIT_OBJECT_0 + 2) {
                process_thread_messages();
                continue;
            }
            elapsed = woke == WAIT_OBJECT_0 + 1;
            break;
        }
    }
    CloseHandle(timer);
    return elapsed;
}

void wake_waiters() {
    SetEvent(wake_event());
}

void rearm_waiters() {
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
