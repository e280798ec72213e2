// A login the program makes by itself at start may come before the network does (a boot,
// a wake, a cable plugged in later): rather than show a box nobody answers and then follow
// nothing, it waits and tries again for as long as it takes, sooner when the network
// changes. A refusal by the provider is an answer, and is not tried again.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

#include "app/session/login_flow.h"
#include "base/types.h"
#include "update/run_log.h"

namespace velmora {

struct LoginRetryWaits {
    std::chrono::milliseconds first;    // after the first failed try
    std::chrono::milliseconds longest;  // the waits double up to this
};

// The waits scale with the update period, so that a build with a short period (as the
// test builds have) also waits briefly: 15 s doubling up to 10 minutes for 120 s.
LoginRetryWaits login_retry_waits(std::chrono::milliseconds update_period);

class LoginRetry {
  public:
    // `waiting` hears why the login waits after each failed try with a new reason, and
    // the empty text once it waits no more. Both must outlive the retry.
    LoginRetry(RunLog& log, std::function<void(const Text& reason)> waiting, LoginRetryWaits waits);

    // Calls `attempt` until it logs in or the provider answers; one log line each time
    // the reason for waiting changes. Nothing when a shutdown or cancel() ended it first.
    std::optional<LoginOutcome> run(const std::function<LoginOutcome()>& attempt);

    // The user's own login took over (called on the thread that runs run(), from the
    // events its waits handle): no further try.
    void cancel();

  private:
    // `reason` holds why it last waited (empty: it never did).
    std::optional<LoginOutcome> run_until_answered(const std::function<LoginOutcome()>& attempt,
                                                   Text& reason);
    // False when the wait ended for good (shutdown, cancel).
    bool wait(std::chrono::milliseconds duration, std::chrono::steady_clock::time_point tried);

    RunLog& log_;
    std::function<void(const Text&)> waiting_;
    const LoginRetryWaits waits_;
    std::atomic<bool> network_changed_{false};
    bool cancelled_ = false;
};

}  // namespace velmora
