#pragma once

#include "base/types.h"

namespace velmora {

// Four decimal fields 0-255 joined by dots and nothing else: no blank, no line break,
// no sign, at most three digits per field. A record value is only ever set to such an
// address.
bool is_plain_ipv4(const Text& text);

// A plain IPv4 address that can be this machine's public address: not in "this
// network" (0/8), loopback (127/8), link-local (169.254/16), multicast, reserved and
// broadcast (224/3), carrier-grade NAT (100.64/10) or the private ranges (10/8,
// 172.16/12, 192.168/16). The documentation ranges stay usable.
bool is_public_ipv4(const Text& text);

}  // namespace velmora
