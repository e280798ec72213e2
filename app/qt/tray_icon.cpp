#include "app/qt/tray_icon.h"

#include <QIcon>
#include <QMetaObject>
#include <utility>

#include "app/qt/options_menu.h"
#include "app/qt/qt_text.h"
#include "base/gbk.h"

namespace velmora {

TrayIcon::TrayIcon(MainWindow& window, SessionCore& core) : window_(window) {
    icon_.setIcon(QIcon(QStringLiteral(":/velmora/velmora.png")));
    icon_.setToolTip(to_qstring(tray_tooltip({}, {})));
    connect(menu_.addAction(to_qstring(tray_menu::show_window())), &QAction::triggered, this,
            &TrayIcon::show_window);
    menu_.addSeparator();
    add_option_items(menu_, core);
    menu_.addSeparator();
    connect(menu_.addAction(to_qstring(tray_menu::quit())), &QAction::triggered, this,
            &TrayIcon::quit_requested);
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    show_window();
                }
            });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        icon_.show();
    }
}

bool TrayIcon::shown() const {
    return icon_.isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show_window() {
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

void TrayIcon::post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void TrayIcon::set_tooltip(const Text& tooltip) {
    icon_.setToolTip(to_qstring(tooltip));
}

void TrayIcon::show_notice(const Text& message) {
    icon_.showMessage(QStringLiteral("Velmora"), to_qstring(message), QSystemTrayIcon::Information);
}

}  // namespace velmora
