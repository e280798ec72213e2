// Where the program's executable lives.
#pragma once

#include "base/types.h"

namespace velmora {

// The running executable's absolute path. Linux: the file system's own bytes,
// unconverted, so it opens the same file whatever characters the directories' names
// hold. Windows: the path in GBK, or its short (8.3) form when some character has no GBK
// form; the file calls convert it to UTF-16. The empty text when the path cannot be
// read, or on Windows cannot be named in GBK at all.
Text executable_path();

// The directory holding the running executable, without a trailing separator (so the
// root directory is the empty text, and joining "/velmora.ini" still names the file
// there); the empty text when executable_path() is.
Text run_directory();

}  // namespace velmora
