// Waiting and message pumping for `delay` and `process_events`.
//
// The window layer installs an EventPump for the window thread; it then keeps the
// window alive while that thread waits. A thread without a pump (the update thread)
// waits on an interruptible timer instead (on Windows one that also handles the
// thread's own messages). Either way, request_shutdown() ends every
// wait at once so the program can close promptly.
#pragma once

#include <chrono>
#include <cstdint>

namespace velmora {

class EventPump {
  public:
    virtual ~EventPump() = default;
    // Handles the events already waiting, then returns; never blocks.
    virtual void process_events() = 0;
    // Keeps handling events for `duration`, or until interrupt() is called.
    // Qt: a nested event loop quit by a single-shot timer.
    virtual void wait(std::chrono::milliseconds duration) = 0;
    // Ends a wait in progress early. Called from any thread, with an internal lock held:
    // it must only signal (e.g. post a quit to the nested loop) and must not call back
    // into this header. An interrupt that arrives while no wait runs must make the next
    // wait return at once, so a shutdown that races with the start of a wait is not lost.
    virtual void interrupt() = 0;
};

// Installs `pump` for the calling thread only; nullptr removes it. Other threads keep
// using the timer. The pump must stay alive until it is removed again.
void install_event_pump(EventPump* pump);

// Handles pending window events on a thread with a pump; elsewhere the thread's own
// queued messages on Windows, nothing on Linux.
void process_events();

// How long delay(amount, unit) waits: unit 0 milliseconds, 1 seconds, 2 minutes,
// 3 hours; any other unit value is itself the multiplier of milliseconds.
std::chrono::milliseconds delay_duration(int amount, int unit);

// Waits `duration`, keeping the thread's windows responsive when it has a pump. Returns
// true when the full time passed, false when shutdown cut the wait short or had already
// begun. A duration of zero or less returns at once.
bool delay(std::chrono::milliseconds duration);
// The same for `amount` of `unit` (see delay_duration).
inline bool delay(int amount, int unit) {
    return delay(delay_duration(amount, unit));
}

// A delay that news can end early. Whoever brings the news records it where the waiter
// looks, then calls nudge_delays(); the waiter reads nudge_count() before it looks, and
// passes that on, so that news arriving in between is not lost. Callable from any thread.
std::uint64_t nudge_count();
void nudge_delays();
// Like delay, and also ends, true, as soon as nudge_delays() has been called since
// `seen` was read. Other delays go on waiting through a nudge.
bool delay_unless_nudged(std::chrono::milliseconds duration, std::uint64_t seen);

// Begins shutdown for the whole process: every wait in delay ends at once, and later
// delays return false immediately. Loops test shutdown_requested() to end themselves.
void request_shutdown();
bool shutdown_requested();
// Ends shutdown again, for tests that need a fresh state.
void reset_shutdown();

}  // namespace velmora
