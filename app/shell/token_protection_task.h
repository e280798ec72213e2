// --protect-token and --unprotect-token: the token moved out of velmora.ini into the
// platform's store and back; with --system, into the service's systemd credential.
#pragma once

#include "app/shell/shell_console.h"
#include "base/system/settings_location.h"

namespace velmora {

// The exit status; a line on standard output when done, on standard error when not.
int change_token_protection(ShellConsole& console, const SettingsLocation& settings, bool system,
                            bool on);

}  // namespace velmora
