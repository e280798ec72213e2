// The program in the notification area: an icon whose tooltip tells the public address
// and the time of the last check, a click on it shows the window, its menu holds the run
// options and 退出, and it tells of changed records and new failures (at most once a
// minute). Lives on the window thread; the update loop's news reach it queued.
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include "app/qt/main_window.h"
#include "app/session_core.h"
#include "app/tray_texts.h"
#include "update/update_observer.h"

namespace velmora {

class TrayIcon : public QObject, public UpdateObserver {
    Q_OBJECT

  public:
    // Shows the icon when the desktop has a notification area.
    TrayIcon(MainWindow& window, SessionCore& core);

    // Whether the icon is in a notification area now.
    bool shown() const;
    // Brings the window back: shown, not minimised, raised and active.
    void show_window();

    QSystemTrayIcon& icon() { return icon_; }
    QMenu& menu() { return menu_; }

    // UpdateObserver, on the update thread.
    void checked(const Text& address, const Text& time) override;
    void record_changed(const Text& sub_domain, const Text& address, const Text& time) override;
    void failure_began(const Text& message) override;

  signals:
    void quit_requested();

  private:
    void on_checked(const Text& address, const Text& time);
    void notify(const Text& message);

    MainWindow& window_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    NotificationThrottle throttle_;
};

}  // namespace velmora
