// Waiting and message pumping for `delay` and `process_events`.
//
// The window layer installs an EventPump for the window thread; it then keeps the
// window alive while that thread waits. A thread without a pump (the update thread)
// waits on an interruptible timer instead. Either way, request_shutdown() ends every
// wait at once so the program can close promptly.
#pragma once

#include <chrono>

namespace velmora {

class EventPump {
  public:
    virtual ~EventPump() = default;
    // Handles the events already waiting, then returns.
    virtual void process_events() = 0;
    // Keeps handling events for `duration`, or until interrupt() is called (from any
    // thread). Qt: a nested event loop quit by a single-shot timer.
    virtual void wait(std::chrono::milliseconds duration) = 0;
    // Ends a wait in progress early; called from any thread, possibly when no wait runs.
    virtual void interrupt() = 0;
};

// Installs `pump` for the calling thread only (nullptr removes it). Other threads keep
// using the timer. The pump must outlive its installation.
void install_event_pump(EventPump* pump);

// Handles pending window events on a thread with a pump; returns at once elsewhere.
void process_events();

// Waits `amount` units: unit 0 milliseconds, 1 seconds, 2 minutes, 3 hours; any other
// unit is taken as a multiplier of milliseconds (amount * unit ms). Returns true when
// the full time passed, false when shutdown cut the wait short (or had already begun).
// A non-positive duration returns at once.
bool delay(int amount, int unit);

// Begins shutdown for the whole process: every wait in delay ends at once, and any
// later delay returns false immediately.
void request_shutdown();
bool shutdown_requested();
// Ends shutdown again; for tests that need a fresh state.
void reset_shutdown();

}  // namespace velmora
