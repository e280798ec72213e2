#include "http/exchange_limit.h"

#include <algorithm>

#include "base/event_pump.h"

namespace velmora {

void ExchangeLimit::start(std::chrono::milliseconds total) {
    deadline_ = total.count() > 0 ? Clock::now() + total : Clock::time_point::max();
}

bool ExchangeLimit::reached() const {
    return cancelled_ || shutdown_requested() || Clock::now() >= deadline_;
}

std::chrono::milliseconds ExchangeLimit::next_wait(std::chrono::milliseconds poll) const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    return std::clamp(left, std::chrono::milliseconds(1), poll);
}

}  // namespace velmora
