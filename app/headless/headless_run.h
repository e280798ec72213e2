// velmora --headless: the login and the update loop of the window, without a window, for
// machines that have none (a home server, a NAS). The ID, the token and the watched
// records come from the settings file a window session wrote (or one written by hand).
#pragma once

#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

// Runs until SIGTERM or SIGINT (then 0), or for one pass with `once` (0 when every
// watched record held the address or was changed to it). Non-zero, with a one-line
// reason on standard error, when the settings hold no ID or token, another headless run
// uses the same settings file, the login is refused, or no watched record is remembered.
int run_headless(const Endpoints& endpoints, const SettingsLocation& settings, bool once);

}  // namespace velmora
