// How the loop keeps its manners when the provider refuses it: a credential that is not
// accepted (or an account that is held) is tried once an hour, so a revoked token never
// locks the account; an API limit or a paused service is asked again after 10, 30 and
// then 60 minutes. Either ends with the first normal reply or a new login. Not stored:
// a restart tries again once.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#include "base/types.h"

namespace velmora {

enum class Refusal {
    none,        // any other answer
    credential,  // -1, 10001, -8, 83, 85: the login must be renewed
    limit,       // -2, -99: the provider asks for patience
};

// What a reply's code means for the pace of the loop.
Refusal refusal_of(const Text& code);

class ProviderBackoff {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::hours kCredentialWait{1};

    explicit ProviderBackoff(Clock clock);

    // Whether API requests may go out now with `credential` (a credential other than
    // the refused one, or a renewed login, ends the hold at once).
    bool may_ask(const Text& credential);

    // The provider answered `action` sent with `credential` with `code` (a reply
    // without a code, such as no network, is no answer and changes nothing). True when
    // this answer begins a hold or changes its kind: worth one line. A hold ends with a
    // normal answer to the action that was refused.
    bool answered(const Text& action, const Text& credential, const Text& code);
    // True once after a hold ended by a normal reply: worth a line too.
    bool take_ended();

    // A new login (from any thread): the next pass asks at the normal pace.
    void login_renewed() { renewed_ = true; }

    Refusal held() const { return held_; }
    // How long the current hold lasts (from the refusal that began or extended it).
    std::chrono::minutes wait() const;

  private:
    void clear();

    Clock clock_;
    std::atomic<bool> renewed_{false};
    Refusal held_ = Refusal::none;
    int limit_refusals_ = 0;  // -2/-99 in a row, for 10, 30, 60 minutes
    Text refused_action_;
    Text refused_credential_;
    std::chrono::steady_clock::time_point until_{};
    bool ended_ = false;
};

}  // namespace velmora
