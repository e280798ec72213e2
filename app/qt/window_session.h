// One run of the program's window: the main window, its control operations and its tray
// icon, wired to the session's logic.
#pragma once

#include <QMenu>
#include <QObject>

#include "app/qt/main_window.h"
#include "app/qt/qt_controls.h"
#include "app/qt/tray_icon.h"
#include "app/session_core.h"
#include "base/endpoints.h"
#include "base/settings_location.h"

namespace velmora {

class WindowSession : public QObject {
    Q_OBJECT

  public:
    // `endpoints` must outlive the session.
    WindowSession(const Endpoints& endpoints, const SettingsLocation& settings);
    ~WindowSession() override;

    enum class Start { shown, minimised };
    // Shows the window centred on the screen and lets it paint (minimised: leaves it in
    // the tray, or minimised where there is none), then runs the window-created handler
    // (whose address lookup blocks the window thread), then the login the options ask
    // for at start. A login at start that fails shows the window.
    void start(Start how = Start::shown);

    MainWindow& window() { return window_; }
    QtControls& controls() { return controls_; }
    TrayIcon& tray() { return tray_; }
    SessionCore& core() { return core_; }
    const PageWatchList& watch_list() const { return core_.watch_list(); }

  private:
    void login();
    void on_minimised();
    void quit();
    // Ends the update loop: its waits and control calls are released first, so
    // closing never hangs on a thread that waits for the window.
    void close_down();

    MainWindow window_;
    QtControls controls_;
    SessionCore core_;
    TrayIcon tray_;
    QMenu options_menu_;  // on the window's free area, where there is no tray
};

}  // namespace velmora
