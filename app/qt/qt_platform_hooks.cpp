#include "app/qt/qt_platform_hooks.h"

#include <QApplication>
#include <QMessageBox>
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
    set_internal_error_reporter([this](const Text& message) { report_internal_error(message); });
}

QtPlatformHooks::~QtPlatformHooks() {
    set_internal_error_reporter(nullptr);
    install_event_pump(nullptr);
    calls_.begin_shutdown();
}

void QtPlatformHooks::report_internal_error(const Text& message) {
    if (QCoreApplication::closingDown()) {
        report_to_stderr(message);
        return;
    }
    calls_.run([message] { show_error_box(message); });
}

}  // namespace velmora
