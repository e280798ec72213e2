// Text as this platform's own text files and terminals hold it: UTF-8 on Linux; GBK
// on Windows, like velmora.ini.
#pragma once

#include <string>

#include "base/types.h"

namespace velmora {

// One line (without its line break) in the platform's text encoding, followed by the
// platform's line break.
std::string local_text_line(const Text& line);

}  // namespace velmora
