// The set-up tasks a shell asks for on the command line (--login, --list, --watch,
// --unwatch, --status, --protect-token, --unprotect-token), each done at once on the settings the
// run uses.
#pragma once

#include "app/program/command_line.h"
#include "app/shell/shell_console.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

// The exit status of the task `command_line` names (which must name one).
int run_shell_task(ShellConsole& console, const CommandLine& command_line,
                   const Endpoints& endpoints, const SettingsLocation& settings);

}  // namespace velmora
