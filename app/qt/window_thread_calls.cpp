#include "app/qt/window_thread_calls.h"

#include <QMetaObject>

namespace velmora {

WindowThreadCalls::WindowThreadCalls()
    : WindowCallQueue(
          [this] { return QThread::currentThread() == window_thread_; },
          [this] { return QMetaObject::invokeMethod(this, "wake_up", Qt::QueuedConnection); }) {}

}  // namespace velmora
