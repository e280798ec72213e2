// What a run without a window listens to so it can end cleanly, and whom it runs as.
#pragma once

#include <memory>

#include "base/types.h"

namespace velmora {

// While alive, the platform's requests to stop begin the process's shutdown
// (request_shutdown): SIGTERM and SIGINT on Linux; Ctrl+C, Ctrl+Break and the console
// window's closing on Windows. Make it before any other thread, so that they all
// inherit how the requests are taken.
class StopRequests {
  public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    class Listener;

  private:
    std::unique_ptr<Listener> listener_;
};

// The name of the account this process runs as (a service's own account), for a line
// that says who must be able to read a file; its number when it has no name.
Text running_account();

// How `account` comes to read `file`, for the line that says it cannot (GBK): Linux, the
// owner to give it; Windows, the install that grants the service's account.
Text read_access_hint(const Text& account, const Text& file);

}  // namespace velmora
