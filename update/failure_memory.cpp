#include "update/failure_memory.h"

#include <utility>

namespace velmora {

FailureMemory::FailureMemory(Clock clock) : clock_(std::move(clock)) {}

bool FailureMemory::should_log(const Text& key, const Text& line, bool remind) {
    const auto now = clock_();
    const auto known = failing_.find(key);
    if (known != failing_.end() && known->second.line == line &&
        (!remind || now - known->second.at < kReminderInterval)) {
        return false;
    }
    failing_[key] = {line, now};
    return true;
}

bool FailureMemory::recovered(const Text& key) {
    return failing_.erase(key) > 0;
}

bool FailureMemory::failing(const Text& key) const {
    return failing_.contains(key);
}

}  // namespace velmora
