// What the window layer lends the platform services of base/: the event pump of the
// window thread (delay and process_events keep the window alive) and the reporter of
// internal errors (a message box instead of standard error).
#pragma once

#include "app/qt/qt_event_pump.h"
#include "app/qt/window_thread_calls.h"
#include "base/types.h"

namespace velmora {

// Installs both on construction, on the window thread, and removes them on destruction.
class QtPlatformHooks {
  public:
    QtPlatformHooks();
    ~QtPlatformHooks();
    QtPlatformHooks(const QtPlatformHooks&) = delete;
    QtPlatformHooks& operator=(const QtPlatformHooks&) = delete;

    // The installed reporter: shows the text of an internal error in a box with an OK
    // button on the window thread and waits for it, from any thread; falls back to
    // standard error once the application is closing down.
    void report_internal_error(const Text& message);

  private:
    QtEventPump pump_;
    WindowThreadCalls calls_;
};

}  // namespace velmora
