// --watch NAME [--type A|AAAA] and --unwatch NAME: ticks and unticks by the record's
// full name, written to 监控记录 exactly as a tick in the window writes it.
#pragma once

#include "app/shell/shell_console.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

// Watches (with `watched` false: stops watching) every A and AAAA record named `name`
// (only those of `type` when it is not empty), one line each. 1, with a line that says
// why, when there is no login, the name matches no such record (a TXT record of that
// name included), or the settings file cannot be written.
int change_watch(ShellConsole& console, const Endpoints& endpoints,
                 const SettingsLocation& settings, const Text& name, const Text& type,
                 bool watched);

}  // namespace velmora
