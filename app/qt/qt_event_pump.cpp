#include "app/qt/qt_event_pump.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>

namespace velmora {

void QtEventPump::process_events() {
    QCoreApplication::processEvents();
}

void QtEventPump::wait(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    {
        std::lock_guard lock(mutex_);
        loops_.push_back(&loop);
    }
    // Checked once the loop is registered: a shutdown from now on interrupts it, and one
    // that came before is seen here.
    if (!shutdown_requested()) {
        timer.start(duration);
        loop.exec();
    }
    std::lock_guard lock(mutex_);
    std::erase(loops_, &loop);
}

void QtEventPump::interrupt() {
    std::lock_guard lock(mutex_);
    for (QEventLoop* loop : loops_) {
        // Queued, so it is safe from any thread; the loop stays registered, and so alive,
        // until its wait has left exec().
        QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
    }
}

}  // namespace velmora
