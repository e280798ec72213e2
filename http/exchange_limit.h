// When an exchange in flight must stop: once its total limit has passed, at shutdown, or
// once cancelled from another thread. Both transfers wait in short polls and look here
// after each one.
#pragma once

#include <atomic>
#include <chrono>

namespace velmora {

class ExchangeLimit {
  public:
    using Clock = std::chrono::steady_clock;

    // The limit runs from now; zero means none of its own.
    void start(std::chrono::milliseconds total);
    // From any thread, before or during the exchange.
    void cancel() { cancelled_ = true; }
    bool reached() const;
    // How long the next wait may last: `poll` at most, never past the limit, at least 1 ms.
    std::chrono::milliseconds next_wait(std::chrono::milliseconds poll) const;

  private:
    Clock::time_point deadline_ = Clock::time_point::max();
    std::atomic<bool> cancelled_{false};
};

}  // namespace velmora
