// Where the settings file velmora.ini, and the history file beside it, live.
#pragma once

#include "base/types.h"

namespace velmora {

struct SettingsLocation {
    // The folder of velmora.ini and velmora.log, without a trailing separator.
    Text directory;
    // The settings file in that folder.
    Text settings_file;
    // False when the folder could not be made or may not be written: the program still
    // runs, but nothing it stores outlives it, which the caller should say once.
    bool kept = true;
    // Where the history goes when not beside the settings file (the system service
    // keeps it under /var/lib); empty for beside it.
    Text history_file;
};

// Decided once at start; paths are the file system's own bytes, unconverted.
// Windows: the program is portable, so its files sit beside velmora.exe in
// `executable_directory`, as they always did.
// Linux: $XDG_CONFIG_HOME/velmora (~/.config/velmora when the variable is unset or not
// an absolute path), made with mode 0700 when missing. When that folder holds no
// velmora.ini yet and `executable_directory` does, the file is copied over once; the
// original stays where it was. With no home folder at all both paths are empty.
SettingsLocation settings_location(const Text& executable_directory);

// The settings file the user named (relative to the working folder), its folder taken
// as it is, never made; kept when that folder may be written (Windows: when it exists
// and is not marked read-only).
SettingsLocation settings_location_of_file(const Text& file);

// The system service's files. Linux: /etc/velmora/velmora.ini, the history in
// /var/lib/velmora/velmora.log. Windows: the service uses the files beside the
// executable, as every other run does.
SettingsLocation system_settings_location();

}  // namespace velmora
