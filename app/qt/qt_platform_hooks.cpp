#include "app/qt/qt_platform_hooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <cstdio>
#include <string>

#include "app/qt/message_box.h"
#include "app/qt/qt_text.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "base/internal_error.h"

namespace velmora {

namespace {

constexpr int kErrorIcon = 0x10;

void show_error_box(const Text& message) {
    QString text = to_qstring(message).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::unique_ptr<QMessageBox> box = make_message_box(
        text, kErrorIcon, to_qstring(gbk("Velmora")), QApplication::activeWindow());
    show_message_box(*box);
}

void report_to_stderr(const Text& message) {
    std::string utf8;
    convert_charset(message, "GBK", "UTF-8", utf8);
    std::fputs(utf8.c_str(), stderr);
}

}  // namespace

QtPlatformHooks::QtPlatformHooks(std::chrono::milliseconds pick_up_limit)
    : pick_up_limit_(pick_up_limit) {
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &QtPlatformHooks::stop_serving);
    install_event_pump(&pump_);
    set_internal_error_reporter([this](const Text& message) { report_internal_error(message); });
}

QtPlatformHooks::~QtPlatformHooks() {
    // First, so that a report in progress on another thread stops waiting for this
    // thread, which is about to wait for that report to release the reporter.
    stop_serving();
    set_internal_error_reporter(nullptr);
    install_event_pump(nullptr);
}

void QtPlatformHooks::stop_serving() {
    {
        std::lock_guard lock(mutex_);
        serving_ = false;
    }
    changed_.notify_all();
}

void QtPlatformHooks::report_internal_error(const Text& message) {
    if (QThread::currentThread() == thread()) {
        if (QCoreApplication::closingDown()) {
            report_to_stderr(message);
        } else {
            show_error_box(message);
        }
        return;
    }
    // Internal errors end the process, and the reporter is held by the first one to the
    // end, so there is never more than one report.
    std::unique_lock lock(mutex_);
    if (serving_) {
        report_ = Report::waiting;
        message_ = message;
        // Posted under the lock that show_waiting_report takes first.
        QMetaObject::invokeMethod(this, "show_waiting_report", Qt::QueuedConnection);
        changed_.wait_for(lock, pick_up_limit_,
                          [this] { return report_ != Report::waiting || !serving_; });
        if (report_ == Report::showing) {
            changed_.wait(lock, [this] { return report_ == Report::done; });
            return;
        }
    }
    report_ = Report::abandoned;
    lock.unlock();
    report_to_stderr(message);
}

void QtPlatformHooks::show_waiting_report() {
    Text message;
    {
        std::lock_guard lock(mutex_);
        if (report_ != Report::waiting) {
            return;  // given up on, and written out instead
        }
        report_ = Report::showing;
        message = message_;
    }
    changed_.notify_all();
    show_error_box(message);
    {
        std::lock_guard lock(mutex_);
        report_ = Report::done;
    }
    changed_.notify_all();
}

}  // namespace velmora
