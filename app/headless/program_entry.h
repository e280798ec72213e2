// What both Linux executables (velmora and velmora-headless) do with their command line
// before any window: answer --help and --version, refuse a wrong line, run a set-up task
// from the shell or the window-less loop, on the settings the line chose.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/headless/service_host.h"
#include "app/program/command_line.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"

namespace velmora {

struct WindowStart {
    CommandLine command_line;
    SettingsLocation settings;
};

// The exit status when the run ended without a window; nothing when the window
// program should now open its window as `window` says. `endpoints` must outlive
// the window. `arguments` are the words after the program's name as GBK texts, and
// `paths` the same words as file names take them (the file system's bytes on Linux);
// `service` is the service manager where this executable is a service's.
std::optional<int> run_without_window(const TextList& arguments,
                                      const std::vector<std::string>& paths, HeadlessMode mode,
                                      const Endpoints& endpoints, WindowStart* window,
                                      ServiceHost* service = nullptr);

// The same for main's words, read in the terminal's encoding.
std::optional<int> run_without_window(int argc, char** argv, HeadlessMode mode,
                                      const Endpoints& endpoints, WindowStart* window);

}  // namespace velmora
