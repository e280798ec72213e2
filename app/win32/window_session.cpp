#include "app/win32/window_session.h"

#include <utility>

namespace velmora {

namespace {

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
      core_(controls_, endpoints, settings),
      tray_(small_program_icon(), option_items(core_),
            {.show_window = [this] { window_.bring_back(); },
             .quit = [this] { window_.close(); },
             .shown_changed = [this](bool shown) { place_options(shown); }}),
      tray_updates_(tray_) {
    core_.set_update_observer(&tray_updates_);
    window_.on_login_clicked([this] { login(); });
    window_.on_console_link_pressed([this] { core_.open_console(); });
    window_.on_minimised([this] { on_minimised(); });
    close_listener_ = window_.add_close_listener([this] { close_down(); });
    place_options(tray_.shown());
}

WindowSession::~WindowSession() {
    close_down();
    window_.remove_close_listener(close_listener_);
}

void WindowSession::start(Start how) {
    if (how == Start::shown) {
        window_.present();
    } else if (!tray_.shown()) {
        window_.show_minimised();
    }
    core_.window_created();
    if (core_.resume() == SessionCore::Resume::failed) {
        window_.bring_back();
    }
}

void WindowSession::login() {
    window_.set_busy(true);
    core_.login();
    window_.set_busy(false);
}

void WindowSession::on_minimised() {
    if (tray_.shown() && core_.option(RunOption::minimise_to_tray)) {
        // Hidden, the window leaves the taskbar; the loop goes on.
        window_.hide();
    }
}

void WindowSession::place_options(bool tray_shown) {
    window_.set_system_menu_options(tray_shown ? OptionItems() : option_items(core_));
}

void WindowSession::close_down() {
    controls_.begin_shutdown();
    core_.close_down();
}

}  // namespace velmora
