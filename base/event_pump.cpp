#include "base/event_pump.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
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
    std::atomic<std::uint64_t> nudges{0};
};

WaitState& wait_state() {
    static WaitState state;
    return state;
}

thread_local EventPump* current_pump = nullptr;

constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours(24 * 365 * 100);

// Lets the pump run until `deadline` (or `nudged`, when given) or shutdown; true when
// the deadline was reached or the nudge came. The pump may return early for its own
// reasons, so the remaining time is waited again.
bool wait_in_pump(EventPump& pump, std::chrono::steady_clock::time_point deadline,
                  const std::function<bool()>& nudged) {
    while (true) {
        if (shutdown_requested()) {
            return false;
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline || (nudged && nudged())) {
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

namespace {

// The delay itself, for delay and delay_unless_nudged.
bool wait_for(std::chrono::milliseconds duration, const std::function<bool()>& nudged) {
    if (shutdown_requested()) {
        return false;
    }
    if (duration <= std::chrono::milliseconds::zero()) {
        return true;
    }
    // The clock counts nanoseconds in 64 bits; a century keeps the deadline far inside.
    duration = std::min<std::chrono::milliseconds>(duration, kLongestWait);
    if (current_pump != nullptr) {
        return wait_in_pump(*current_pump, std::chrono::steady_clock::now() + duration, nudged);
    }
    return backend::wait_unless_woken(duration, nudged);
}

}  // namespace

bool delay(std::chrono::milliseconds duration) {
    return wait_for(duration, {});
}

std::uint64_t nudge_count() {
    return wait_state().nudges.load();
}

void nudge_delays() {
    WaitState& state = wait_state();
    std::lock_guard lock(state.mutex);
    ++state.nudges;
    // A pump's wait ends at an interrupt and goes round again, looking at the count.
    for (EventPump* pump : state.pumps) {
        pump->interrupt();
    }
    backend::nudge_waiters();
}

bool delay_unless_nudged(std::chrono::milliseconds duration, std::uint64_t seen) {
    return wait_for(duration, [seen] { return nudge_count() != seen; });
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
