// One run of the program's window: the main window, its control operations and its tray
// icon, wired to the session's logic.
//
// Create, start and run it on the window thread.
#pragma once

#include "app/session_core.h"
#include "app/win32/main_window.h"
#include "app/win32/tray_icon.h"
#include "app/win32/tray_updates.h"
#include "app/win32/win32_controls.h"
#include "base/endpoints.h"
#include "base/settings_location.h"

namespace velmora {

class WindowSession {
  public:
    // `endpoints` must outlive the session.
    WindowSession(const Endpoints& endpoints, const SettingsLocation& settings);
    ~WindowSession();
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    enum class Start { shown, minimised };
    // Shows and paints the window (minimised: leaves it hidden in the tray, or minimised
    // where there is none), then runs the window-created handler (whose address lookup
    // blocks the window thread), then the login the options ask for at start. A login at
    // start that fails shows the window.
    void start(Start how = Start::shown);
    // Handles the window's messages until it has been closed.
    void run() { window_.run(); }

    MainWindow& window() { return window_; }
    Win32Controls& controls() { return controls_; }
    TrayIcon& tray() { return tray_; }

  private:
    void login();
    void on_minimised();
    // Where there is no notification area the options are on the window's system menu.
    void place_options(bool tray_shown);
    // Ends the update loop: its waits and control calls are released first, so closing
    // never hangs on a thread that waits for the window.
    void close_down();

    MainWindow window_;
    int close_listener_ = 0;
    Win32Controls controls_;
    SessionCore core_;
    TrayIcon tray_;
    TrayUpdates tray_updates_;
};

}  // namespace velmora
