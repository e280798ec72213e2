// One run of the program's Qt window: the main window, its control operations and its
// tray icon, wired to the session's logic (app/session/desktop_session.h).
#pragma once

#include <QMenu>
#include <QObject>

#include "app/qt/main_window.h"
#include "app/qt/qt_controls.h"
#include "app/qt/tray_icon.h"
#include "app/session/desktop_session.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

class WindowSession : public QObject, private WindowShell {
    Q_OBJECT

  public:
    using Start = DesktopSession::Start;

    // `endpoints` must outlive the session.
    WindowSession(const Endpoints& endpoints, const SettingsLocation& settings);
    ~WindowSession() override;

    // Shows the window centred on the screen (see DesktopSession::start).
    void start(Start how = Start::shown) { session_.start(how); }

    MainWindow& window() { return window_; }
    QtControls& controls() { return controls_; }
    TrayIcon& tray() { return tray_; }
    SessionCore& core() { return session_.core(); }
    const PageWatchList& watch_list() const { return session_.core().watch_list(); }

  private:
    void present() override { window_.present(); }
    void show_minimised() override { window_.showMinimized(); }
    void bring_back() override { tray_.show_window(); }
    void hide() override;
    bool tray_shown() const override { return tray_.shown(); }
    void set_busy(bool busy) override;
    void after_painting(std::function<void()> step) override;
    void release_controls() override { controls_.begin_shutdown(); }
    void quit();

    MainWindow window_;
    QtControls controls_;
    DesktopSession session_;
    TrayIcon tray_;
    QMenu options_menu_;  // on the window's free area, where there is no tray
};

}  // namespace velmora
