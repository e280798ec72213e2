// The steps of a window's run that both windows take alike: start shown or minimised,
// resume the login the options ask for, bring the window back after a failed resume,
// hide into the tray, log in with the wait cursor, and close down. Each window supplies
// its own moves through WindowShell. Window thread only.
#pragma once

#include <functional>

#include "app/session/session_core.h"

namespace velmora {

// What the session asks of the window it runs in.
class WindowShell {
  public:
    virtual ~WindowShell() = default;
    // Shows the window and lets it paint before returning.
    virtual void present() = 0;
    // Shows it minimised, leaving the active window as it was.
    virtual void show_minimised() = 0;
    // Shows it restored (from minimised or hidden), in front and active.
    virtual void bring_back() = 0;
    // Hides it, which takes it out of the taskbar.
    virtual void hide() = 0;
    // Whether the tray icon is in a notification area now.
    virtual bool tray_shown() const = 0;
    // The wait cursor over the window while a login runs.
    virtual void set_busy(bool busy) = 0;
    // Runs `step` on the window thread once the window has had its chance to paint.
    virtual void after_painting(std::function<void()> step) = 0;
    // Begins the controls' shutdown: their waiting calls return at once.
    virtual void release_controls() = 0;
};

class DesktopSession {
  public:
    // `shell`, `controls` and `endpoints` must outlive the session; none is used before
    // start().
    DesktopSession(WindowShell& shell, Controls& controls, const Endpoints& endpoints,
                   const SettingsLocation& settings)
        : shell_(shell), core_(controls, endpoints, settings) {}
    ~DesktopSession() { close_down(); }
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    enum class Start { shown, minimised };
    // Shows the window (minimised: leaves it in the tray, or minimised where there is
    // none), then, once it has painted, runs the window-created handler (whose address
    // lookup blocks the window thread) and the login the options ask for at start. A
    // login at start that fails shows the window.
    void start(Start how);
    // The 登入 button.
    void login();
    // The window was minimised: with 最小化到托盘 on and a tray icon, it goes there.
    void minimised();
    // Ends the update loop: the controls' waiting calls are released first, so that
    // closing never hangs on a thread that waits for the window. Idempotent.
    void close_down();

    SessionCore& core() { return core_; }
    const SessionCore& core() const { return core_; }

  private:
    WindowShell& shell_;
    SessionCore core_;
};

}  // namespace velmora
