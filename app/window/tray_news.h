// What the update loop tells the tray icon, the same for both windows: the tooltip
// follows the public address and the time of the last check, and a changed record or a
// newly begun failure becomes a notification, at most one a minute. The loop calls from
// its own thread; the news is handed to the window thread, and the call returns at once.
#pragma once

#include <functional>
#include <utility>

#include "app/window/tray_texts.h"
#include "update/update_observer.h"

namespace velmora {

// The tray icon as the news needs it.
class TraySink {
  public:
    virtual ~TraySink() = default;
    // From any thread: runs `task` on the window thread soon, and returns at once.
    virtual void post(std::function<void()> task) = 0;
    // The rest on the window thread.
    virtual void set_tooltip(const Text& tooltip) = 0;
    // Whether the icon is in a notification area now.
    virtual bool shown() const = 0;
    virtual void show_notice(const Text& message) = 0;
};

class TrayNews : public UpdateObserver {
  public:
    // `sink` must outlive the news.
    explicit TrayNews(TraySink& sink, NotificationThrottle throttle = NotificationThrottle())
        : sink_(sink), throttle_(std::move(throttle)) {}

    void checked(const Text& address, const Text& time) override;
    void record_changed(const Text& sub_domain, const Text& address, const Text& time) override;
    void failure_began(const Text& message) override;
    void login_waiting(const Text& reason) override;

  private:
    void notify(const Text& message);

    TraySink& sink_;
    NotificationThrottle throttle_;
};

}  // namespace velmora
