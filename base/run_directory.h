// Where the program's executable lives.
#pragma once

#include "base/types.h"

namespace velmora {

// The directory holding the running executable, without a trailing separator (so the
// root directory is the empty text, and joining "/velmora.ini" still names the file
// there). The path is the file system's own bytes, unconverted, so
// it opens the same file whatever characters the directory names hold. The empty text
// when the executable's path cannot be read.
Text run_directory();

}  // namespace velmora
