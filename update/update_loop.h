#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "base/controls/controls.h"
#include "base/endpoints.h"
#include "base/system/network_changes.h"
#include "update/page_watch_list.h"
#include "update/run_log.h"
#include "update/update_cycle.h"
#include "update/update_observer.h"

namespace velmora {

// The process's one update loop (run_update_cycle) on a thread of its own. The session
// owns it, with or without a window: a successful login calls start(), the end of the
// run calls stop().
class UpdateLoop {
  public:
    // All four must outlive the loop.
    UpdateLoop(Controls& controls, const Endpoints& endpoints, const PageWatchList& watch,
               RunLog& log);
    ~UpdateLoop();
    UpdateLoop(const UpdateLoop&) = delete;
    UpdateLoop& operator=(const UpdateLoop&) = delete;

    // Tells `observer` (which must outlive the loop) what the loop does beyond its log;
    // call before start().
    void set_observer(UpdateObserver* observer) { observer_ = observer; }
    // Called on the loop's thread before each pass (for what the loop's owner must take
    // in first, such as a changed settings file); set before start().
    void set_before_pass(std::function<void()> hook) { before_pass_ = std::move(hook); }
    // The echo services the loop asks for its IPv4 address after the endpoint and the
    // interfaces (the settings file's list); takes effect at the next search.
    void set_echo_sources(std::vector<EchoSource> sources);
    // Starts the loop unless it already runs; a later login leaves the running loop
    // alone but for its pace: a back-off from the provider's refusals ends. Returns
    // whether this call started it.
    bool start();
    // Begins the process's shutdown, which ends the loop's pause and its pass, and waits
    // for the thread.
    void stop();

  private:
    Controls& controls_;
    const Endpoints& endpoints_;
    const PageWatchList& watch_;
    RunLog& log_;
    UpdateObserver* observer_ = nullptr;
    std::function<void()> before_pass_;
    std::mutex mutex_;
    std::vector<EchoSource> echo_sources_;
    std::unique_ptr<UpdateCycle> cycle_;  // made by start(), kept until stop() joined
    // Ends the pause when the network changes; may be null (then the period alone).
    std::unique_ptr<NetworkChangeWatch> network_;
    std::thread thread_;
};

}  // namespace velmora
