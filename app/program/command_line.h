// The program's command line. Its options choose only how the program runs; what it
// talks to is compiled in, and what it remembers is in velmora.ini.
#pragma once

#include "base/types.h"

namespace velmora {

// Whether this build has the window-less mode (Linux only).
enum class HeadlessMode { offered, not_offered };

enum class CommandLineAction { run, show_help, show_version, refuse };

struct CommandLine {
    CommandLineAction action = CommandLineAction::run;
    bool minimized = false;  // --minimized: start hidden in the tray, minimised without one
    bool headless = false;   // --headless: no window, the log lines on standard output
    bool once = false;       // --once (with --headless): one pass of the update loop, then end
    Text problem;            // with refuse: what was wrong, one line without its line end
};

// `arguments` are the words after the program's name, as GBK texts. Every word must be
// one of the options this build has, or the command line is refused. Then --help wins
// over --version, and both over running; to run, --once without --headless and
// --minimized with --headless are refused.
CommandLine parse_command_line(const TextList& arguments, HeadlessMode headless);

// What --help shows, and a refusal after its problem line: the options this build has.
// GBK, each line ended by "\n".
Text help_text(HeadlessMode headless);

// "velmora VERSION\n".
Text version_text();

}  // namespace velmora
