// What the window layer lends the platform services of base/: the event pump of the
// window thread (delay and process_events keep the window alive) and the reporter of
// internal errors (a message box instead of standard error).
#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/qt/qt_event_pump.h"
#include "base/types.h"

namespace velmora {

// Installs both on construction, on the window thread, and removes them on destruction.
class QtPlatformHooks : public QObject {
    Q_OBJECT

  public:
    // `pick_up_limit`: how long a report from another thread waits for the window thread
    // to start showing it. Longer than a request's 30-second time-out, so a window thread
    // busy with one request still shows the box.
    explicit QtPlatformHooks(std::chrono::milliseconds pick_up_limit = std::chrono::seconds(35));
    ~QtPlatformHooks() override;
    QtPlatformHooks(const QtPlatformHooks&) = delete;
    QtPlatformHooks& operator=(const QtPlatformHooks&) = delete;

    // The installed reporter, safe from any thread at any time: shows the text of an
    // internal error in a box with an OK button on the window thread and waits until it
    // is closed. The text goes to standard error instead when the window thread has left
    // its event loop, or does not take the box up within the pick-up limit (it may be
    // joining the very thread that reports), so the caller can always go on to exit.
    void report_internal_error(const Text& message);

  private:
    enum class Report { none, waiting, showing, done, abandoned };

    // Runs on the window thread, posted by report_internal_error.
    Q_INVOKABLE void show_waiting_report();
    // From the end of the event loop on, reports no longer wait for the window thread.
    void stop_serving();

    const std::chrono::milliseconds pick_up_limit_;
    QtEventPump pump_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool serving_ = true;
    Report report_ = Report::none;
    Text message_;
};

}  // namespace velmora
