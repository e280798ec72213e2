// One run of the program's window: the main window and its control operations, wired
// to the session's logic.
//
// Create, start and run it on the window thread.
#pragma once

#include "app/session_core.h"
#include "app/win32/main_window.h"
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

    // Shows and paints the window, then runs the window-created handler (whose address
    // lookup blocks the window thread).
    void start();
    // Handles the window's messages until it has been closed.
    void run() { window_.run(); }

    MainWindow& window() { return window_; }
    Win32Controls& controls() { return controls_; }

  private:
    void login();
    // Ends the update loop: its waits and control calls are released first, so closing
    // never hangs on a thread that waits for the window.
    void close_down();

    MainWindow window_;
    int close_listener_ = 0;
    Win32Controls controls_;
    SessionCore core_;
};

}  // namespace velmora
