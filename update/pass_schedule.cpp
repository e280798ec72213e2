#include "update/pass_schedule.h"

#include <algorithm>

#include "base/event_pump.h"

namespace velmora {

PassSchedule::PassSchedule(Clock clock) : clock_(std::move(clock)) {
    last_start_ = clock_() - kLeastGap;
}

void PassSchedule::network_changed() {
    {
        std::lock_guard lock(mutex_);
        if (!pending_) {
            pending_ = true;
            first_change_ = clock_();
        }
    }
    nudge_delays();
}

void PassSchedule::pass_started() {
    std::lock_guard lock(mutex_);
    pending_ = false;
    last_start_ = clock_();
}

std::optional<std::chrono::steady_clock::time_point> PassSchedule::change_due() const {
    std::lock_guard lock(mutex_);
    if (!pending_) {
        return std::nullopt;
    }
    return std::max(first_change_ + kGathering, last_start_ + kLeastGap);
}

// One wake-up at the end of the pause, or when a change is due: a change nudges the
// wait so that it looks again, since a waiting loop that woke every so often to look
// would cost CPU in every idle minute of a months-long run.
bool PassSchedule::wait(std::chrono::milliseconds pause) {
    const auto end = clock_() + pause;
    for (;;) {
        const std::uint64_t seen = nudge_count();
        const auto now = clock_();
        const auto due = change_due();
        if (now >= end || (due && now >= *due)) {
            return !shutdown_requested();
        }
        const auto until = due ? std::min(end, *due) : end;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        if (!delay_unless_nudged(std::max(left, std::chrono::milliseconds(1)), seen)) {
            return false;
        }
    }
}

}  // namespace velmora
