// When the loop's next pass starts: after its pause, or soon after the network changed.
// A burst of changes (an address added on two families, a flapping link) gives one pass;
// a change during a pass gives one more after it; changes never start passes closer
// than two seconds apart.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

namespace velmora {

class PassSchedule {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // How long the changes of one burst are gathered, and the least time between the
    // starts of two passes that changes call for.
    static constexpr std::chrono::milliseconds kGathering{1000};
    static constexpr std::chrono::milliseconds kLeastGap{2000};

    explicit PassSchedule(Clock clock = [] { return std::chrono::steady_clock::now(); });

    // The network changed (from any thread).
    void network_changed();
    // A pass starts now; changes until now are its business.
    void pass_started();
    // When a pass is due for the changes heard since the last pass started; nullopt when
    // none was heard.
    std::optional<std::chrono::steady_clock::time_point> change_due() const;

    // Waits `pause`, or until a pass is due for a change. False when shutdown ended the
    // wait.
    bool wait(std::chrono::milliseconds pause);

  private:
    Clock clock_;
    mutable std::mutex mutex_;
    bool pending_ = false;
    std::chrono::steady_clock::time_point first_change_{};
    std::chrono::steady_clock::time_point last_start_{};
};

}  // namespace velmora
