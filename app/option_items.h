// The run options as the check items of a menu, the same on both windows: the tray
// icon's menu, or the window's own menu where the desktop has no notification area.
#pragma once

#include <functional>
#include <vector>

#include "app/session_core.h"
#include "base/types.h"

namespace velmora {

struct OptionItem {
    Text caption;                    // GBK
    std::function<bool()> is_on;     // read each time a menu shows the item
    std::function<void(bool)> turn;  // the user chose the item: on when it showed off
};
using OptionItems = std::vector<OptionItem>;

// 启动时自动登入, 开机自动启动 (the platform's entry is its state), 最小化到托盘. The
// session must outlive the items.
OptionItems option_items(SessionCore& session);

}  // namespace velmora
