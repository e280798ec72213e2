#include "update/provider_backoff.h"

#include <array>

namespace velmora {

Refusal refusal_of(const Text& code) {
    for (const char* held : {"-1", "10001", "-8", "83", "85"}) {
        if (code == held) {
            return Refusal::credential;
        }
    }
    return code == "-2" || code == "-99" ? Refusal::limit : Refusal::none;
}

ProviderBackoff::ProviderBackoff(Clock clock) : clock_(std::move(clock)) {}

void ProviderBackoff::clear() {
    held_ = Refusal::none;
    limit_refusals_ = 0;
    refused_action_.clear();
    refused_credential_.clear();
}

bool ProviderBackoff::may_ask(const Text& credential) {
    if (renewed_.exchange(false) ||
        (held_ == Refusal::credential && credential != refused_credential_)) {
        clear();
    }
    return held_ == Refusal::none || clock_() >= until_;
}

std::chrono::minutes ProviderBackoff::wait() const {
    using namespace std::chrono_literals;
    static constexpr std::array<std::chrono::minutes, 3> kLimitWaits{10min, 30min, 60min};
    if (held_ == Refusal::credential) {
        return kCredentialWait;
    }
    if (held_ == Refusal::limit) {
        return kLimitWaits[static_cast<std::size_t>(
            std::min<int>(limit_refusals_, kLimitWaits.size()) - 1)];
    }
    return 0min;
}

bool ProviderBackoff::answered(const Text& action, const Text& credential, const Text& code) {
    if (code.empty()) {
        return false;
    }
    const Refusal refusal = refusal_of(code);
    if (refusal == Refusal::none) {
        if (held_ != Refusal::none && action == refused_action_) {
            ended_ = true;
            clear();
        }
        return false;
    }
    const bool news = refusal != held_;
    if (refusal == Refusal::limit) {
        limit_refusals_ = held_ == Refusal::limit ? limit_refusals_ + 1 : 1;
    }
    held_ = refusal;
    refused_action_ = action;
    refused_credential_ = credential;
    until_ = clock_() + wait();
    ended_ = false;
    return news;
}

bool ProviderBackoff::take_ended() {
    const bool ended = ended_;
    ended_ = false;
    return ended;
}

}  // namespace velmora
