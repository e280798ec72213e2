#pragma once

#include "base/types.h"

namespace velmora {

// Four decimal fields 0-255 joined by dots and nothing else: no blank, no line break,
// no sign, at most three digits per field. A record value is only ever set to such an
// address.
bool is_plain_ipv4(const Text& text);

}  // namespace velmora
