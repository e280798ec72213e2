// Which failures the run log has already told about. A failure that lasts (a network
// down all night) must not add the same line every pass, yet must not fall silent for
// good either: it is logged when it begins, again at most once an hour while it lasts,
// and its end gets a line of its own.
#pragma once

#include <chrono>
#include <functional>
#include <map>

#include "base/types.h"

namespace velmora {

class FailureMemory {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::hours kReminderInterval{1};

    // Tests inject a clock; the program uses the steady clock.
    explicit FailureMemory(Clock clock = [] { return std::chrono::steady_clock::now(); });

    // The failure `key` (one per thing that can fail: the address, a page's list, a
    // record) happened with `line` as its log text. True when the line is to be logged
    // now: the failure is new, its text changed, or it was last logged an hour ago
    // (never again, without `remind`: a state that may last for good, such as a
    // machine without IPv6).
    bool should_log(const Text& key, const Text& line, bool remind = true);

    // The thing `key` names worked. True when it was failing, so that its recovery is
    // logged; it is then forgotten.
    bool recovered(const Text& key);

    // Whether `key` is failing now.
    bool failing(const Text& key) const;

  private:
    struct Logged {
        Text line;
        std::chrono::steady_clock::time_point at;
    };

    Clock clock_;
    std::map<Text, Logged> failing_;
};

}  // namespace velmora
