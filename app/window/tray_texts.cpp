#include "app/window/tray_texts.h"

#include <utility>

#include "base/gbk.h"

namespace velmora {

namespace tray_menu {
const Text& show_window() {
    return gbk("显示主窗口");
}
const Text& log_in_at_start() {
    return gbk("启动时自动登入");
}
const Text& start_at_logon() {
    return gbk("开机自动启动");
}
const Text& minimise_to_tray() {
    return gbk("最小化到托盘");
}
const Text& protect_token() {
    return gbk("保护令牌");
}
const Text& quit() {
    return gbk("退出");
}
}  // namespace tray_menu

Text tray_tooltip(const Text& address, const Text& checked_at) {
    Text tooltip = "Velmora";
    if (!address.empty()) {
        tooltip += "\n" + gbk("公网IP：") + address;
    }
    if (!checked_at.empty()) {
        tooltip += "\n" + gbk("上次检测：") + checked_at;
    }
    return tooltip;
}

Text tray_tooltip_waiting(const Text& reason) {
    return reason.empty() ? tray_tooltip({}, {})
                          : "Velmora\n" + gbk("等待网络，稍后自动登入") + "\n" + reason;
}

Text record_changed_notice(const Text& sub_domain, const Text& address) {
    return gbk("记录已更新：") + sub_domain + gbk(" → ") + address;
}

NotificationThrottle::NotificationThrottle(Clock clock) : clock_(std::move(clock)) {}

bool NotificationThrottle::may_show() {
    const auto now = clock_();
    if (last_ && now - *last_ < kInterval) {
        return false;
    }
    last_ = now;
    return true;
}

}  // namespace velmora
