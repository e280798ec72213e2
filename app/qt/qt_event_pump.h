// The window thread's event pump for delay and process_events: pending events are handled
// by QCoreApplication, waits run a nested event loop that a timer or interrupt() ends.
#pragma once

#include <QEventLoop>
#include <chrono>
#include <mutex>
#include <vector>

#include "base/event_pump.h"

namespace velmora {

class QtEventPump : public EventPump {
  public:
    void process_events() override;
    // Waits may nest (a handler run inside a wait may wait itself); interrupt() ends all.
    void wait(std::chrono::milliseconds duration) override;
    void interrupt() override;

  private:
    std::mutex mutex_;
    std::vector<QEventLoop*> loops_;
};

}  // namespace velmora
