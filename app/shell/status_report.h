// --status: what the running loop looks after, seen now.
#pragma once

#include "app/shell/shell_console.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

// The watched records with the values the provider holds now and whether they follow,
// the public IPv4 and IPv6 addresses learned now, and the history file's last lines.
// 1 with a line on standard error when there is no login.
int show_status(ShellConsole& console, const Endpoints& endpoints,
                const SettingsLocation& settings);

}  // namespace velmora
