// A handler that one thread sets while others call it. A call takes a copy under the lock
// and runs it outside, so a handler may replace itself or take a long time without
// holding anyone up.
#pragma once

#include <mutex>
#include <utility>

namespace velmora {

template <class Function>
class GuardedHandler {
  public:
    explicit GuardedHandler(Function function = {}) : function_(std::move(function)) {}

    void set(Function function) {
        std::lock_guard lock(mutex_);
        function_ = std::move(function);
    }

    Function get() const {
        std::lock_guard lock(mutex_);
        return function_;
    }

  private:
    mutable std::mutex mutex_;
    Function function_;
};

}  // namespace velmora
