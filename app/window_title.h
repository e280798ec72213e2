#pragma once

#include "base/types.h"

namespace velmora {

// "Velmora|本机外网IP：" followed directly by the address (nothing when it is
// empty).
Text window_title_for_address(const Text& address);

}  // namespace velmora
