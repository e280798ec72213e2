// The window-call queue of the Qt window: the window thread is the creating thread, and a
// queued invocation wakes it up.
#pragma once

#include <QObject>
#include <QThread>

#include "base/controls/window_call_queue.h"

namespace velmora {

class WindowThreadCalls : public QObject, public WindowCallQueue {
    Q_OBJECT

  public:
    WindowThreadCalls();

  private:
    Q_INVOKABLE void wake_up() { run_queued(); }

    QThread* const window_thread_ = QThread::currentThread();
};

}  // namespace velmora
