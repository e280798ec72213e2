// What the tray icon says, the same on both windows: its tooltip, its menu and its
// notifications, and how often a notification may come.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "base/types.h"

namespace velmora {

namespace tray_menu {
const Text& show_window();       // 显示主窗口
const Text& log_in_at_start();   // 启动时自动登入
const Text& start_at_logon();    // 开机自动启动
const Text& minimise_to_tray();  // 最小化到托盘
const Text& protect_token();     // 保护令牌
const Text& quit();              // 退出
}  // namespace tray_menu

// "Velmora", then the public address and the time of the last check on lines of their
// own once the loop has checked a record.
Text tray_tooltip(const Text& address, const Text& checked_at);
// While the login at start waits for the network: "Velmora", then "等待网络，稍后自动登入"
// and why the last try failed; the plain "Velmora" once `reason` is empty.
Text tray_tooltip_waiting(const Text& reason);

// A record was changed: "记录已更新：" + host record + " → " + address.
Text record_changed_notice(const Text& sub_domain, const Text& address);

// At most one notification a minute: a network that comes and goes must not bury the
// desktop in them.
class NotificationThrottle {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::minutes kInterval{1};

    explicit NotificationThrottle(Clock clock = [] { return std::chrono::steady_clock::now(); });
    // True when a notification may be shown now (and counts it as shown).
    bool may_show();

  private:
    Clock clock_;
    std::optional<std::chrono::steady_clock::time_point> last_;
};

}  // namespace velmora
