// Where the program's executable lives.
#pragma once

#include "base/types.h"

namespace velmora {

// The running executable's absolute path; the empty text when it cannot be read. The
// path is the file system's own bytes, unconverted, so it opens the same file whatever
// characters the directories' names hold.
Text executable_path();

// The directory holding the running executable, without a trailing separator (so the
// root directory is the empty text, and joining "/velmora.ini" still names the file
// there). The empty text when the executable's path cannot be read.
Text run_directory();

}  // namespace velmora
