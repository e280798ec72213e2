// --login: the ID and the token from the terminal (or two lines of standard input),
// checked with the provider, and saved as the window's login saves them only when the
// provider accepts them.
#pragma once

#include "app/shell/shell_console.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

// 0 when accepted and saved; 1, with one line on standard error and nothing saved, when
// input is missing, empty or interrupted, the provider refuses, or the file cannot be
// written.
int shell_login(ShellConsole& console, const Endpoints& endpoints,
                const SettingsLocation& settings);

}  // namespace velmora
