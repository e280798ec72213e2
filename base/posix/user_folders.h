// The user's folders on Linux, for the settings and the autostart entry alike.
#pragma once

#include <optional>

#include "base/types.h"

namespace velmora::posix {

// `path` without the slashes it ends in.
Text without_trailing_slashes(Text path);

// $XDG_CONFIG_HOME, else ~/.config (the home from $HOME, else the password database),
// without a trailing slash; nothing when there is no home to put it in. A relative
// $XDG_CONFIG_HOME is not valid and is ignored, as the XDG rules say.
std::optional<Text> config_home();

// Makes the absolute `path` and its missing parents. Each folder made is 0700 whatever
// the umask, since these folders hold the API token; folders that exist keep their mode.
// True when `path` is a folder afterwards.
bool make_private_directories(const Text& path);

}  // namespace velmora::posix
