// What the update loop tells the tray icon: the tooltip follows the public address and
// the time of the last check, and a changed record or a newly begun failure becomes a
// balloon, at most one a minute. The loop calls from its own thread; the news is handed to
// the window thread, and the call returns at once.
#pragma once

#include "app/tray_texts.h"
#include "app/win32/tray_icon.h"
#include "app/win32/window_thread_calls.h"
#include "update/update_observer.h"

namespace velmora {

class TrayUpdates : public UpdateObserver {
  public:
    // Create it on the window thread; `tray` must outlive it.
    explicit TrayUpdates(TrayIcon& tray) : tray_(tray) {}

    void checked(const Text& address, const Text& time) override;
    void record_changed(const Text& sub_domain, const Text& address, const Text& time) override;
    void failure_began(const Text& message) override;

  private:
    void notify(const Text& message);

    TrayIcon& tray_;
    NotificationThrottle throttle_;
    WindowThreadCalls window_thread_;
};

}  // namespace velmora
