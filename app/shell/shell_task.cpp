#include "app/shell/shell_task.h"

#include "app/settings/settings_file.h"
#include "app/shell/record_list.h"
#include "app/shell/shell_login.h"
#include "app/shell/status_report.h"
#include "app/shell/token_protection_task.h"
#include "app/shell/watch_by_name.h"

namespace velmora {

int run_shell_task(ShellConsole& console, const CommandLine& command_line,
                   const Endpoints& endpoints, const SettingsLocation& settings) {
    if (const Text note = utf8_settings_note(settings.settings_file); !note.empty()) {
        console.complain(note);
    }
    switch (command_line.task) {
        case ShellTask::login:
            return shell_login(console, endpoints, settings);
        case ShellTask::list:
            return list_records(console, endpoints, settings);
        case ShellTask::watch:
            return change_watch(console, endpoints, settings, command_line.name,
                                command_line.record_type, true);
        case ShellTask::unwatch:
            return change_watch(console, endpoints, settings, command_line.name, {}, false);
        case ShellTask::status:
            return show_status(console, endpoints, settings);
        case ShellTask::protect_token:
        case ShellTask::unprotect_token:
            return change_token_protection(console, settings, command_line.system,
                                           command_line.task == ShellTask::protect_token);
        case ShellTask::none:
            break;
    }
    return 1;
}

}  // namespace velmora
