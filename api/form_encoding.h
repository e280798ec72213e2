// Values spliced into a form body must not change the body's structure.
#pragma once

#include "base/types.h"

namespace velmora {

// Percent-encodes the bytes that a form decoder would read as structure or drop:
// '%', '&', '+', '=', '#', the space and control bytes (0x00-0x1F, 0x7F). Every other
// byte, GBK bytes and the comma included, stays as it is, so ordinary values go out
// unchanged.
Text form_value(const Text& value);

}  // namespace velmora
