#include "app/session_core.h"

#include <utility>

#include "app/login_flow.h"
#include "app/page_events.h"
#include "app/window_created.h"
#include "base/event_pump.h"

namespace velmora {

SessionCore::SessionCore(Controls& controls, const Endpoints& endpoints, Text settings_path)
    : controls_(controls),
      endpoints_(endpoints),
      settings_path_(std::move(settings_path)),
      history_(history_path_beside(settings_path_)),
      log_(controls_, endpoints_, &history_),
      update_loop_(controls_, endpoints_, watch_, log_) {}

SessionCore::~SessionCore() {
    close_down();
}

void SessionCore::window_created() {
    on_window_created({controls_, endpoints_}, settings_path_);
}

void SessionCore::login() {
    run_login({controls_, endpoints_}, settings_path_, update_loop_);
}

void SessionCore::row_checked(int page, int row, int state) {
    on_record_row_checked(controls_, watch_, page, row, state);
}

void SessionCore::open_console() {
    open_console_token_page(controls_, endpoints_);
}

void SessionCore::close_down() {
    request_shutdown();
    update_loop_.stop();
}

}  // namespace velmora
