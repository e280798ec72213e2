#include "app/headless/program_entry.h"

#include <cstdio>

#include "app/headless/headless_run.h"
#include "app/shell/shell_console.h"
#include "app/shell/shell_task.h"
#include "app/program/terminal_text.h"
#include "base/internal_error.h"
#include "base/system/run_directory.h"
#include "http/tls_settings.h"

namespace velmora {

namespace {

void print(std::FILE* stream, const Text& text) {
    std::fputs(text_for_terminal(text).c_str(), stream);
    std::fflush(stream);
}

SettingsLocation chosen_settings(const CommandLine& command_line, char** argv) {
    if (command_line.system) {
        return system_settings_location();
    }
    if (command_line.settings_word >= 0) {
        return settings_location_of_file(argv[command_line.settings_word + 1]);
    }
    return settings_location(run_directory());
}

}  // namespace

std::optional<int> run_without_window(int argc, char** argv, HeadlessMode mode,
                                      const Endpoints& endpoints, WindowStart* window) {
    install_out_of_memory_handler();

    TextList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(text_from_terminal(argv[i]));
    }
    const CommandLine command_line = parse_command_line(arguments, mode);
    switch (command_line.action) {
        case CommandLineAction::show_help:
            print(stdout, help_text(mode));
            return 0;
        case CommandLineAction::show_version:
            print(stdout, version_text());
            return 0;
        case CommandLineAction::refuse:
            print(stderr, "velmora: " + command_line.problem + "\n" + help_text(mode));
            return 2;
        case CommandLineAction::run:
            break;
    }

    set_extra_ca_file(endpoints.extra_ca_file);
    const SettingsLocation settings = chosen_settings(command_line, argv);
    if (command_line.task != ShellTask::none) {
        StandardConsole console;
        return run_shell_task(console, command_line, endpoints, settings);
    }
    if (command_line.headless) {
        return run_headless(endpoints, settings, command_line.once);
    }
    window->command_line = command_line;
    window->settings = settings;
    return std::nullopt;
}

}  // namespace velmora
