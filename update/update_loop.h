#pragma once

#include <mutex>
#include <thread>

#include "base/controls.h"
#include "base/endpoints.h"
#include "update/page_watch_list.h"
#include "update/run_log.h"

namespace velmora {

// The process's one update loop (run_update_cycle) on a thread of its own. The window
// owns it: a successful login calls start(), closing the window calls stop().
class UpdateLoop {
  public:
    // All four must outlive the loop.
    UpdateLoop(Controls& controls, const Endpoints& endpoints, const PageWatchList& watch,
               RunLog& log);
    ~UpdateLoop();
    UpdateLoop(const UpdateLoop&) = delete;
    UpdateLoop& operator=(const UpdateLoop&) = delete;

    // Starts the loop unless it already runs; a later login leaves the running loop
    // alone. Returns whether this call started it.
    bool start();
    // Begins the process's shutdown, which ends the loop's pause and its pass, and waits
    // for the thread.
    void stop();

  private:
    Controls& controls_;
    const Endpoints& endpoints_;
    const PageWatchList& watch_;
    RunLog& log_;
    std::mutex mutex_;
    std::thread thread_;
};

}  // namespace velmora
