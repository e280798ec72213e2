// Which record types follow the machine's public address: A records its IPv4 address,
// AAAA records its IPv6 address. An address written into a record of any other type
// (TXT, MX, CNAME, ...) would destroy what it held.
#pragma once

#include "base/types.h"

namespace velmora {

bool follows_an_address(const Text& record_type);
// The AAAA type, which follows the IPv6 address; the A type follows the IPv4 one.
bool follows_the_ipv6_address(const Text& record_type);

}  // namespace velmora
