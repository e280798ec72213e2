// Untrusted text (a server's answer) put into a message or a log line.
#pragma once

#include <cstddef>

#include "base/types.h"

namespace velmora {

// The text on one line and of bounded length: control bytes (line breaks, tabs, ...)
// become blanks, and a text longer than `max_bytes` is cut at a character boundary and
// ends in "...". GBK characters are kept whole.
Text one_line_excerpt(const Text& text, std::size_t max_bytes = 80);

}  // namespace velmora
