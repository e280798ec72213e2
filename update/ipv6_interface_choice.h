// Which of the machine's own IPv6 addresses stands for it when the HTTP-DNS endpoint
// cannot tell.
#pragma once

#include <optional>
#include <vector>

#include "base/system/interface_addresses.h"

namespace velmora {

// A global unicast address whose duplicate check has passed. A preferred address goes
// before a deprecated one (its prefix is being withdrawn, so a record pointing at it
// soon points nowhere), and among those a stable address before a temporary one (which
// the system replaces daily); among equals the first in the list. Nothing when no
// address qualifies.
std::optional<Ipv6Bytes> choose_interface_address(const std::vector<InterfaceAddress>& addresses);

}  // namespace velmora
