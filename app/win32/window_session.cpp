#include "app/win32/window_session.h"

#include <utility>

#include "app/login_flow.h"
#include "app/page_events.h"
#include "app/window_created.h"
#include "base/event_pump.h"

namespace velmora {

WindowSession::WindowSession(const Endpoints& endpoints, Text settings_path)
    : endpoints_(endpoints),
      settings_path_(std::move(settings_path)),
      controls_(window_),
      update_loop_(controls_, endpoints_, watch_) {
    controls_.set_row_check_handler([this](int page, int row, int state) {
        on_record_row_checked(controls_, watch_, page, row, state);
    });
    window_.on_login_clicked([this] { login(); });
    window_.on_console_link_pressed([this] { open_console_token_page(controls_, endpoints_); });
    close_listener_ = window_.add_close_listener([this] { close_down(); });
}

WindowSession::~WindowSession() {
    close_down();
    window_.remove_close_listener(close_listener_);
}

void WindowSession::start() {
    window_.present();
    on_window_created({controls_, endpoints_}, settings_path_);
}

void WindowSession::login() {
    window_.set_busy(true);
    run_login({controls_, endpoints_}, settings_path_, update_loop_);
    window_.set_busy(false);
}

void WindowSession::close_down() {
    controls_.begin_shutdown();
    request_shutdown();
    update_loop_.stop();
}

}  // namespace velmora
