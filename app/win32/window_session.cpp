#include "app/win32/window_session.h"

#include "app/session/option_items.h"
#include "app/win32/service_state.h"

namespace velmora {

namespace {

// The service's state, asked of the service manager each time a menu opens.
Text service_line() {
    return service_state_line(service_state());
}

// The program's icon at the notification area's size.
HICON small_program_icon() {
    constexpr int kApplicationIcon = 1;
    static const HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kApplicationIcon), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

WindowSession::WindowSession(const Endpoints& endpoints, const SettingsLocation& settings)
    : controls_(window_),
      session_(*this, controls_, endpoints, settings),
      tray_(small_program_icon(), option_items(session_.core()),
            {.show_window = [this] { window_.bring_back(); },
             .quit = [this] { window_.close(); },
             .shown_changed = [this](bool shown) { place_options(shown); }},
            service_line) {
    SessionCore& core = session_.core();
    core.set_update_observer(&tray_.news());
    window_.on_login_clicked([this] { session_.login(); });
    window_.on_console_link_pressed([this] { session_.core().open_console(); });
    window_.on_minimised([this] { session_.minimised(); });
    close_listener_ = window_.add_close_listener([this] { session_.close_down(); });
    place_options(tray_.shown());
}

WindowSession::~WindowSession() {
    session_.close_down();
    window_.remove_close_listener(close_listener_);
}

void WindowSession::place_options(bool tray_shown) {
    window_.set_system_menu_options(tray_shown ? OptionItems() : option_items(session_.core()),
                                    service_line);
}

}  // namespace velmora
