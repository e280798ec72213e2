// The window thread's event pump for delay and process_events: pending events are handled
// by QCoreApplication, waits run a nested event loop that a timer or interrupt() ends.
#pragma once

#include <QEventLoop>
#include <QObject>
#include <chrono>
#include <mutex>
#include <vector>

#include "base/event_pump.h"

namespace velmora {

class QtEventPump : public QObject, public EventPump {
    Q_OBJECT

  public:
    void process_events() override;
    // Waits may nest (a handler run inside a wait may wait itself); interrupt() ends all.
    void wait(std::chrono::milliseconds duration) override;
    void interrupt() override;

  private:
    // Runs on the window thread, posted by interrupt().
    Q_INVOKABLE void quit_waits();

    std::mutex mutex_;
    std::vector<QEventLoop*> loops_;
    bool interrupted_ = false;  // an interrupt came while no wait ran: the next one ends at once
};

}  // namespace velmora
