#include "base/event_pump.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

#include "base/backend.h"

namespace velmora {

namespace {

// Shared by every thread: the shutdown flag and the installed pumps, so that a shutdown
// can interrupt waits running inside them.
struct WaitState {
    std::mutex mutex;
    bool shutdown = false;
    std::vector<EventPump*> pumps;
};

WaitState& wait_state() {
    static WaitState state;
    return state;
}

thread_local EventPump* current_pump = nullptr;

constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours(24 * 365 * 100);

// Lets the pump run until `deadline` or shutdown; true when the deadline was reached.
// The pump may return early for its own reasons, so the remaining time is waited again.
bool wait_in_pump(EventPump& pump, std::chrono::steady_clock::time_point deadline) {
    while (true) {
        if (shutdown_requested()) {
            return false;
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return true;
        }
        // Round up so the pump never waits 0 ms in a loop just before the deadline.
        pump.wait(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
    }
}

}  // namespace

void install_event_pump(EventPump* pump) {
    WaitState& state = wait_state();
    std::lock_guard lock(state.mutex);
    if (current_pump != nullptr) {
        std::erase(state.pumps, current_pump);
    }
    current_pump = pump;
    if (pump != nullptr) {
        state.pumps.push_back(pump);
    }
}

void process_events() {
    if (current_pump != nullptr) {
        current_pump->process_events();
    } else {
        backend::process_thread_messages();
    }
}

std::chrono::milliseconds delay_duration(int amount, int unit) {
    std::int64_t multiplier = unit;
    switch (unit) {
        case 0:
            multiplier = 1;
            break;
        case 1:
            multiplier = 1000;
            break;
        case 2:
            multiplier = 60 * 1000;
            break;
        case 3:
            multiplier = 60 * 60 * 1000;
            break;
        default:
            break;
    }
    // 64 bits hold any int times 3,600,000 without overflow.
    return std::chrono::milliseconds(static_cast<std::int64_t>(amount) * multiplier);
}

bool delay(std::chrono::milliseconds duration) {
    if (shutdown_requested()) {
        return false;
    }
    if (duration <= std::chrono::milliseconds::zero()) {
        return true;
    }
    // The clock counts nanoseconds in 64 bits; a century keeps the deadline far inside.
    duration = std::min<std::chrono::milliseconds>(duration, kLongestWait);
    if (current_pump != nullptr) {
        return wait_in_pump(*current_pump, std::chrono::steady_clock::now() + duration);
    }
    return backend::wait_unless_woken(duration);
}

void request_shutdown() {
    WaitState& state = wait_state();
    std::lock_guard lock(state.mutex);
    state.shutdown = true;
    // Under the lock, so no pump can be removed and destroyed while it is signalled.
    for (EventPump* pump : state.pumps) {
        pump->interrupt();
    }
    backend::wake_waiters();
}

bool shutdown_requested() {
    WaitState& state = wait_state();
    std::lock_guard lock(state.mutex);
    return state.shutdown;
}

void reset_shutdown() {
    WaitState& state = wait_state();
    std::lock_guard lock(state.mutex);
    state.shutdown = false;
    backend::rearm_waiters();
}

}  // namespace velmora
