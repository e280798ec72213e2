#include "update/update_loop.h"

#include "base/event_pump.h"
#include "update/update_cycle.h"

namespace velmora {

UpdateLoop::UpdateLoop(Controls& controls, const Endpoints& endpoints, const PageWatchList& watch,
                       RunLog& log)
    : controls_(controls), endpoints_(endpoints), watch_(watch), log_(log) {}

UpdateLoop::~UpdateLoop() {
    stop();
}

bool UpdateLoop::start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        return false;
    }
    thread_ = std::thread([this] {
        UpdateCycle({controls_, endpoints_}, watch_, log_, observer_).run(before_pass_);
    });
    return true;
}

void UpdateLoop::stop() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        thread.swap(thread_);
    }
    request_shutdown();
    thread.join();
}

}  // namespace velmora
