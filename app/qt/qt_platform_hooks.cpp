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

QtPlatformHooks::QtPlatformHooks() {
    install_event_pump(&pump_);
    set_internal_error_reporter(report_internal_error_in_box);
}

QtPlatformHooks::~QtPlatformHooks() {
    set_internal_error_reporter(nullptr);
    install_event_pump(nullptr);
}

void report_internal_error_in_box(const Text& message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QCoreApplication::closingDown()) {
        report_to_stderr(message);
    } else if (QThread::currentThread() == app->thread()) {
        show_error_box(message);
    } else {
        QMetaObject::invokeMethod(
            app, [message] { show_error_box(message); }, Qt::BlockingQueuedConnection);
    }
}

}  // namespace velmora
