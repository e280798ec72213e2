// The session's run options as the check items of the windows' menus.
#pragma once

#include "app/session/session_core.h"
#include "app/window/option_item.h"

namespace velmora {

// 启动时自动登入, 开机自动启动 (the platform's entry is its state), 最小化到托盘,
// 保护令牌 (whose item says why it could not be turned). The session must outlive the
// items.
OptionItems option_items(SessionCore& session);

}  // namespace velmora
