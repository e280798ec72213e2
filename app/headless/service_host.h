// The platform's service manager, for an executable that can be its service
// (velmora-headless.exe on Windows); Linux runs the loop from a packaged unit instead.
#pragma once

#include <functional>

#include "base/system/settings_location.h"

namespace velmora {

class ServiceHost {
  public:
    virtual ~ServiceHost() = default;
    // --install-service, for the settings at `settings`: the exit status, once what was
    // done (or why nothing was) is said on standard output or error.
    virtual int install(const SettingsLocation& settings) = 0;
    // --uninstall-service: the same.
    virtual int uninstall() = 0;
    // --service: hands the process to the service manager, which has `run` run the
    // service until it is asked to stop (then request_shutdown()). Returns the process's
    // exit status once the service has stopped.
    virtual int serve(const std::function<int()>& run) = 0;
};

}  // namespace velmora
