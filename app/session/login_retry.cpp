#include "app/session/login_retry.h"

#include <algorithm>

#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/system/network_changes.h"

namespace velmora {

namespace {

// A flapping interface must not turn the waits into a stream of logins.
constexpr std::chrono::seconds kLeastBetweenTries{2};

}  // namespace

LoginRetryWaits login_retry_waits(std::chrono::milliseconds update_period) {
    return {update_period / 8, update_period * 5};
}

LoginRetry::LoginRetry(RunLog& log, std::function<void(const Text& reason)> waiting,
                       LoginRetryWaits waits)
    : log_(log), waiting_(std::move(waiting)), waits_(waits) {}

std::optional<LoginOutcome> LoginRetry::run(const std::function<LoginOutcome()>& attempt) {
    const auto watch = watch_network_changes([this] {
        network_changed_ = true;
        nudge_delays();
    });
    Text reason;
    const std::optional<LoginOutcome> outcome = run_until_answered(attempt, reason);
    if (!reason.empty()) {
        waiting_({});
        if (outcome && outcome->logged_in) {
            log_.write(gbk("已连上服务商，自动登入成功"));
        }
    }
    return outcome;
}

std::optional<LoginOutcome> LoginRetry::run_until_answered(
    const std::function<LoginOutcome()>& attempt, Text& reason) {
    std::chrono::milliseconds next_wait = waits_.first;
    for (;;) {
        const auto tried = std::chrono::steady_clock::now();
        network_changed_ = false;
        LoginOutcome outcome = attempt();
        if (cancelled_ || shutdown_requested()) {
            return std::nullopt;
        }
        if (outcome.unreachable.empty()) {
            return outcome;
        }
        if (outcome.unreachable != reason) {
            reason = outcome.unreachable;
            log_.write(gbk("连不上服务商，等网络恢复后自动重新登入：") + reason);
            waiting_(reason);
        }
        if (!wait(next_wait, tried)) {
            return std::nullopt;
        }
        next_wait = std::min(next_wait * 2, waits_.longest);
    }
}

void LoginRetry::cancel() {
    cancelled_ = true;
    nudge_delays();
}

// A network change and the user's own login nudge the wait, which then looks again.
bool LoginRetry::wait(std::chrono::milliseconds duration,
                      std::chrono::steady_clock::time_point tried) {
    const auto until = std::chrono::steady_clock::now() + duration;
    for (;;) {
        const std::uint64_t seen = nudge_count();
        const auto now = std::chrono::steady_clock::now();
        if (now >= until || (network_changed_ && now - tried >= kLeastBetweenTries)) {
            return true;
        }
        const auto next = network_changed_ ? std::min(until, tried + kLeastBetweenTries) : until;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now);
        if (!delay_unless_nudged(std::max(left, std::chrono::milliseconds(1)), seen) ||
            cancelled_) {
            return false;
        }
    }
}

}  // namespace velmora
