#include "update/pass_schedule.h"

#include <algorithm>

#include "base/event_pump.h"

namespace velmora {

namespace {

// The pause is waited in slices so that a change is seen without a wake-up of its own,
// and every wait still goes through the platform's delay (which keeps a Windows thread's
// messages handled).
constexpr std::chrono::milliseconds kSlice{200};

}  // namespace

PassSchedule::PassSchedule(Clock clock) : clock_(std::move(clock)) {
    last_start_ = clock_() - kLeastGap;
}

void PassSchedule::network_changed() {
    std::lock_guard lock(mutex_);
    if (!pending_) {
        pending_ = true;
        first_change_ = clock_();
    }
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

bool PassSchedule::wait(std::chrono::milliseconds pause) {
    const auto end = clock_() + pause;
    for (;;) {
        const auto now = clock_();
        const auto due = change_due();
        if (now >= end || (due && now >= *due)) {
            return !shutdown_requested();
        }
        auto until = std::min(end, now + kSlice);
        if (due) {
            until = std::min(until, *due);
        }
        const auto slice = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        if (!delay(static_cast<int>(std::max<std::chrono::milliseconds::rep>(slice.count(), 1)),
                   0)) {
            return false;
        }
    }
}

}  // namespace velmora
