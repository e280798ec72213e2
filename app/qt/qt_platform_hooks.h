// What the window layer lends the platform services of base/: the event pump of the
// window thread (delay and process_events keep the window alive) and the reporter of
// internal errors (a message box instead of standard error).
#pragma once

#include "app/qt/qt_event_pump.h"
#include "base/types.h"

namespace velmora {

// Installs both on construction, on the window thread, and removes them on destruction.
class QtPlatformHooks {
  public:
    QtPlatformHooks();
    ~QtPlatformHooks();
    QtPlatformHooks(const QtPlatformHooks&) = delete;
    QtPlatformHooks& operator=(const QtPlatformHooks&) = delete;

  private:
    QtEventPump pump_;
};

// Shows the text of an internal error in a box with an OK button and waits for it, from
// any thread; falls back to standard error once the application is closing down.
void report_internal_error_in_box(const Text& message);

}  // namespace velmora
