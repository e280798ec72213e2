#include "app/win32/tray_updates.h"

namespace velmora {

void TrayUpdates::checked(const Text& address, const Text& time) {
    window_thread_.post([this, address, time] { tray_.set_tooltip(tray_tooltip(address, time)); });
}

void TrayUpdates::record_changed(const Text& sub_domain, const Text& address, const Text& time) {
    window_thread_.post([this, sub_domain, address, time] {
        tray_.set_tooltip(tray_tooltip(address, time));
        notify(record_changed_notice(sub_domain, address));
    });
}

void TrayUpdates::failure_began(const Text& message) {
    window_thread_.post([this, message] { notify(message); });
}

void TrayUpdates::notify(const Text& message) {
    if (tray_.shown() && throttle_.may_show()) {
        tray_.show_notice(message);
    }
}

}  // namespace velmora
