// The kernel's table of IPv6 addresses, /proc/net/if_inet6, which carries the address
// flags that getifaddrs leaves out.
#pragma once

#include <string_view>
#include <vector>

#include "base/system/interface_addresses.h"

namespace velmora {

// One entry per well-formed line of the table ("<32 hex digits> <index> <prefix length>
// <scope> <flags> <name>", the numbers in hex), in its order; other lines are skipped.
std::vector<InterfaceAddress> parse_kernel_address_table(std::string_view table);

}  // namespace velmora
