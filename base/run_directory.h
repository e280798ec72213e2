// Where the program's executable lives.
#pragma once

#include "base/types.h"

namespace velmora {

// The directory holding the running executable, without a trailing separator (so the
// root directory is the empty text, and joining "/velmora.ini" still names the file
// there). Linux: the file system's own bytes, unconverted, so it opens the same file
// whatever characters the directory names hold. Windows: the path in GBK, or its short
// (8.3) form when some character has no GBK form; the file calls convert it to UTF-16.
// The empty text when the executable's path cannot be read, or on Windows cannot be
// named in GBK at all.
Text run_directory();

}  // namespace velmora
