// One run of the program's Win32 window: the main window, its control operations and its
// tray icon, wired to the session's logic (app/session/desktop_session.h).
//
// Create, start and run it on the window thread.
#pragma once

#include "app/session/desktop_session.h"
#include "app/win32/main_window.h"
#include "app/win32/tray_icon.h"
#include "app/win32/win32_controls.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

class WindowSession : private WindowShell {
  public:
    using Start = DesktopSession::Start;

    // `endpoints` must outlive the session.
    WindowSession(const Endpoints& endpoints, const SettingsLocation& settings);
    ~WindowSession() override;
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // Shows and paints the window (see DesktopSession::start).
    void start(Start how = Start::shown) { session_.start(how); }
    // Handles the window's messages until it has been closed.
    void run() { window_.run(); }

    MainWindow& window() { return window_; }
    Win32Controls& controls() { return controls_; }
    TrayIcon& tray() { return tray_; }

  private:
    void present() override { window_.present(); }
    void show_minimised() override { window_.show_minimised(); }
    void bring_back() override { window_.bring_back(); }
    void hide() override { window_.hide(); }
    bool tray_shown() const override { return tray_.shown(); }
    void set_busy(bool busy) override { window_.set_busy(busy); }
    // The window painted in present(); the step runs at once.
    void after_painting(std::function<void()> step) override { step(); }
    void release_controls() override { controls_.begin_shutdown(); }
    // Where there is no notification area the options are on the window's system menu.
    void place_options(bool tray_shown);

    MainWindow window_;
    int close_listener_ = 0;
    Win32Controls controls_;
    DesktopSession session_;
    TrayIcon tray_;
};

}  // namespace velmora
