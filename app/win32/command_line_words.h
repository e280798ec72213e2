// The words of the program's command line as GBK texts, for parse_command_line.
#pragma once

#include "base/types.h"

namespace velmora {

// The words after the program's name in `command_line` (GetCommandLineW's text), split
// and unquoted by the platform's rules. A character GBK lacks is replaced, so its word
// matches no option.
TextList command_line_words(const wchar_t* command_line);

}  // namespace velmora
