#include "app/headless/program_entry.h"

#include <cstdio>

#include "app/headless/headless_run.h"
#include "app/shell/shell_console.h"
#include "app/shell/shell_task.h"
#include "base/system/terminal_text.h"
#include "base/internal_error.h"
#include "base/system/run_directory.h"
#include "http/tls_settings.h"

namespace velmora {

namespace {

void print(std::FILE* stream, const Text& text) {
    std::fputs(text_for_terminal(text).c_str(), stream);
    std::fflush(stream);
}

SettingsLocation chosen_settings(const CommandLine& command_line,
                                 const std::vector<std::string>& paths) {
    if (command_line.system) {
        return system_settings_location();
    }
    if (command_line.settings_word >= 0) {
        return settings_location_of_file(
            paths[static_cast<std::size_t>(command_line.settings_word)]);
    }
    return settings_location(run_directory());
}

}  // namespace

std::optional<int> run_without_window(int argc, char** argv, HeadlessMode mode,
                                      const Endpoints& endpoints, WindowStart* window) {
    TextList arguments;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(text_from_terminal(argv[i]));
        paths.emplace_back(argv[i]);
    }
    return run_without_window(arguments, paths, mode, endpoints, window);
}

std::optional<int> run_without_window(const TextList& arguments,
                                      const std::vector<std::string>& paths, HeadlessMode mode,
                                      const Endpoints& endpoints, WindowStart* window,
                                      ServiceHost* service) {
    install_out_of_memory_handler();

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
    const SettingsLocation settings = chosen_settings(command_line, paths);
    if (service != nullptr) {
        switch (command_line.service) {
            case ServiceAction::install:
                return service->install(settings);
            case ServiceAction::uninstall:
                return service->uninstall();
            case ServiceAction::run:
                return service->serve([&] { return run_headless(endpoints, settings, false); });
            case ServiceAction::none:
                break;
        }
    }
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
