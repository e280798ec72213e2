#include "app/session/desktop_session.h"

namespace velmora {

void DesktopSession::start(Start how) {
    if (how == Start::shown) {
        shell_.present();
    } else if (!shell_.tray_shown()) {
        shell_.show_minimised();
    }
    shell_.after_painting([this, how] {
        core_.window_created(how == Start::shown);
        if (core_.resume() == SessionCore::Resume::failed) {
            shell_.bring_back();
        }
    });
}

void DesktopSession::login() {
    shell_.set_busy(true);
    core_.login();
    shell_.set_busy(false);
}

void DesktopSession::minimised() {
    if (shell_.tray_shown() && core_.option(RunOption::minimise_to_tray)) {
        // Hidden, the window leaves the taskbar; the loop goes on.
        shell_.hide();
    }
}

void DesktopSession::close_down() {
    shell_.release_controls();
    core_.close_down();
}

}  // namespace velmora
