// --list: the account's records, as the window's pages show them.
#pragma once

#include "app/shell/shell_console.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

// Page by page, a line naming the domain, then one aligned line a record: host, type,
// value, record id, and "监控中" (watched), nothing (can be) or "不可监控" (of a type
// that cannot follow an address). 0 when listed; 1 with a line on standard error when
// there is no login.
int list_records(ShellConsole& console, const Endpoints& endpoints,
                 const SettingsLocation& settings);

}  // namespace velmora
