#include "app/win32/window_session.h"

#include <utility>

namespace velmora {

WindowSession::WindowSession(const Endpoints& endpoints, const SettingsLocation& settings)
    : controls_(window_), core_(controls_, endpoints, settings) {
    window_.on_login_clicked([this] { login(); });
    window_.on_console_link_pressed([this] { core_.open_console(); });
    close_listener_ = window_.add_close_listener([this] { close_down(); });
}

WindowSession::~WindowSession() {
    close_down();
    window_.remove_close_listener(close_listener_);
}

void WindowSession::start() {
    window_.present();
    core_.window_created();
}

void WindowSession::login() {
    window_.set_busy(true);
    core_.login();
    window_.set_busy(false);
}

void WindowSession::close_down() {
    controls_.begin_shutdown();
    core_.close_down();
}

}  // namespace velmora
