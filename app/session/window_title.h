#pragma once

#include "base/endpoints.h"
#include "base/types.h"

namespace velmora {

// "Velmora|本机外网IP：" followed directly by the IPv4 address (nothing when it is
// empty), then "|" and the IPv6 address when the machine has a public one.
Text window_title_for_address(const Text& address, const Text& address6 = {});

// The title for the addresses the machine has now: both are asked for.
Text window_title_now(const Endpoints& endpoints);

}  // namespace velmora
