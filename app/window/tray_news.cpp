#include "app/window/tray_news.h"

namespace velmora {

void TrayNews::checked(const Text& address, const Text& time) {
    sink_.post([this, address, time] { sink_.set_tooltip(tray_tooltip(address, time)); });
}

void TrayNews::record_changed(const Text& sub_domain, const Text& address, const Text& time) {
    sink_.post([this, sub_domain, address, time] {
        sink_.set_tooltip(tray_tooltip(address, time));
        notify(record_changed_notice(sub_domain, address));
    });
}

void TrayNews::failure_began(const Text& message) {
    sink_.post([this, message] { notify(message); });
}

void TrayNews::login_waiting(const Text& reason) {
    sink_.post([this, reason] { sink_.set_tooltip(tray_tooltip_waiting(reason)); });
}

void TrayNews::notify(const Text& message) {
    if (sink_.shown() && throttle_.may_show()) {
        sink_.show_notice(message);
    }
}

}  // namespace velmora
