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

void UpdateLoop::set_echo_sources(std::vector<EchoSource> sources) {
    std::lock_guard lock(mutex_);
    echo_sources_ = std::move(sources);
    if (cycle_) {
        cycle_->ipv4_sources().set_echo_sources(echo_sources_);
    }
}

bool UpdateLoop::start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        cycle_->login_renewed();
        return false;
    }
    cycle_ =
        std::make_unique<UpdateCycle>(ApiContext{controls_, endpoints_}, watch_, log_, observer_);
    cycle_->ipv4_sources().set_echo_sources(echo_sources_);
    network_ = watch_network_changes([cycle = cycle_.get()] { cycle->network_changed(); });
    thread_ = std::thread(
        [cycle = cycle_.get(), before_pass = before_pass_] { cycle->run(before_pass); });
    return true;
}

void UpdateLoop::stop() {
    std::thread thread;
    std::unique_ptr<UpdateCycle> cycle;
    std::unique_ptr<NetworkChangeWatch> network;
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) {
            return;
        }
        thread.swap(thread_);
        cycle.swap(cycle_);
        network.swap(network_);
    }
    request_shutdown();
    thread.join();
}

}  // namespace velmora
