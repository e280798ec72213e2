// How the program runs, stored in velmora.ini's section 运行选项: each option "真" when
// on; any other value, or none, is off. Start at logon is not kept here: the platform's
// own entry is the truth (see base/autostart.h).
#pragma once

#include "base/types.h"

namespace velmora {

enum class RunOption {
    log_in_at_start,   // 启动时登入: log in with the stored ID and token at start
    minimise_to_tray,  // 最小化到托盘: minimising hides the window in the tray
    protect_token,     // 保护令牌: the token is kept in the platform's store, Token empty
};

bool run_option(const Text& settings_path, RunOption option);
// False when the file could not be written (or shutdown has begun). 保护令牌 is turned
// through app/settings/token_protection.h, which moves the token with it.
bool set_run_option(const Text& settings_path, RunOption option, bool on);

}  // namespace velmora
