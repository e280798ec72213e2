// The program in the notification area: an icon whose tooltip tells the public address
// and the time of the last check, a click on it shows the window, its menu holds the run
// options and 退出, and it tells of changed records and new failures (at most once a
// minute). Lives on the window thread; the update loop's news reach it queued.
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

#include "app/qt/main_window.h"
#include "app/session/session_core.h"
#include "app/window/tray_news.h"

namespace velmora {

class TrayIcon : public QObject, public TraySink {
    Q_OBJECT

  public:
    // Shows the icon when the desktop has a notification area.
    TrayIcon(MainWindow& window, SessionCore& core);

    bool shown() const override;
    // Brings the window back: shown, not minimised, raised and active.
    void show_window();

    QSystemTrayIcon& icon() { return icon_; }
    QMenu& menu() { return menu_; }

    // What the update loop tells the icon.
    UpdateObserver& news() { return news_; }

    void post(std::function<void()> task) override;
    void set_tooltip(const Text& tooltip) override;
    void show_notice(const Text& message) override;

  signals:
    void quit_requested();

  private:
    MainWindow& window_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    TrayNews news_{*this};
};

}  // namespace velmora
