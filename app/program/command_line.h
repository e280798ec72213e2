// The program's command line. Its options choose only how the program runs; what it
// talks to is compiled in, and what it remembers is in velmora.ini.
#pragma once

#include "base/types.h"

namespace velmora {

// Which runs this executable has: the window with the window-less mode beside it
// (velmora on Linux), the window alone (velmora.exe), or no window at all
// (velmora-headless, where --headless is implied; velmora-headless.exe, which also
// installs and runs the Windows service and has no --system).
enum class HeadlessMode { offered, not_offered, only, only_with_service };

enum class CommandLineAction { run, show_help, show_version, refuse };

// A set-up done from a shell instead of a window; it ends once done.
enum class ShellTask { none, login, list, watch, unwatch, status, protect_token, unprotect_token };

// The Windows service, with velmora-headless.exe: --install-service, --uninstall-service,
// and --service, the run the service manager starts.
enum class ServiceAction { none, install, uninstall, run };

struct CommandLine {
    CommandLineAction action = CommandLineAction::run;
    bool minimized = false;  // --minimized: start hidden in the tray, minimised without one
    bool headless = false;   // --headless: no window, the log lines on standard output
    bool once = false;       // --once (with --headless): one pass of the update loop, then end
    ShellTask task = ShellTask::none;
    Text name;            // --watch NAME, --unwatch NAME: the record's full name
    Text record_type;     // --type A|AAAA (upper case) with --watch; empty for both
    bool system = false;  // --system: the system service's settings
    ServiceAction service = ServiceAction::none;
    // --settings FILE: the index of FILE among the words, -1 without. The entry code
    // takes that word's own bytes, since a path is the file system's, not a text.
    int settings_word = -1;
    Text problem;  // with refuse: what was wrong, one line without its line end
};

// `arguments` are the words after the program's name, as GBK texts. Every word must be
// one of the options this build has, or the command line is refused. Then --help wins
// over --version, and both over running; to run, --once without --headless and
// --minimized with --headless are refused, and so is more than one set-up task, a
// task beside --headless, --once or --minimized, --type without --watch, --system
// beside --settings or with the window, and a service option beside any other.
CommandLine parse_command_line(const TextList& arguments, HeadlessMode headless);

// What --help shows, and a refusal after its problem line: the options this build has.
// GBK, each line ended by "\n".
Text help_text(HeadlessMode headless);

// "velmora VERSION\n".
Text version_text();

}  // namespace velmora
