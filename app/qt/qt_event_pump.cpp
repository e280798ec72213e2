#include "app/qt/qt_event_pump.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <utility>

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
    bool interrupted = false;
    {
        std::lock_guard lock(mutex_);
        loops_.push_back(&loop);
        interrupted = std::exchange(interrupted_, false);
    }
    // Checked once the loop is registered: an interrupt from now on ends it, and one that
    // came before (a shutdown, a nudge between its waiter's last look and this wait) is
    // seen here.
    if (!interrupted && !shutdown_requested()) {
        timer.start(duration);
        loop.exec();
    }
    std::lock_guard lock(mutex_);
    std::erase(loops_, &loop);
}

void QtEventPump::interrupt() {
    // Only a wake-up goes through Qt; the loops are looked up again under our own lock on
    // the window thread, so a wait that has ended meanwhile is never touched (and the
    // hand-over stays visible to ThreadSanitizer, which cannot see into Qt's locking).
    std::lock_guard lock(mutex_);
    if (loops_.empty()) {
        interrupted_ = true;
    } else {
        QMetaObject::invokeMethod(this, "quit_waits", Qt::QueuedConnection);
    }
}

void QtEventPump::quit_waits() {
    std::lock_guard lock(mutex_);
    for (QEventLoop* loop : loops_) {
        loop->quit();
    }
}

}  // namespace velmora
