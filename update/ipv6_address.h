// IPv6 addresses as text: reading the forms RFC 4291 allows, writing the one form
// RFC 5952 recommends, and which addresses may stand in a public AAAA record.
#pragma once

#include <optional>
#include <string_view>

#include "base/system/interface_addresses.h"
#include "base/types.h"

namespace velmora {

// A plain IPv6 address: eight groups of one to four hex digits (either letter case)
// joined by ':', at most one "::" standing for one or more zero groups, and optionally
// the last two groups written as a dotted IPv4 address (four decimal fields 0-255
// without leading zeros), as in "::ffff:192.0.2.1". Nothing else: no blank, no line
// break, no brackets, no zone ("%eth0"), no prefix length ("/64").
std::optional<Ipv6Bytes> parse_ipv6(std::string_view text);

// The canonical text (RFC 5952): lower-case hex without leading zeros, the longest run
// of two or more zero groups (the first of equal runs) as "::", and an IPv4-mapped
// address (::ffff:0:0/96) with its last 32 bits dotted.
Text ipv6_text(const Ipv6Bytes& address);

// Inside 2000::/3, the global unicast space: what an AAAA record meant to reach this
// machine from anywhere may hold. Loopback, unspecified, link-local, unique-local,
// multicast and IPv4-mapped addresses lie outside it; the documentation prefix
// 2001:db8::/32 lies inside.
bool is_global_unicast(const Ipv6Bytes& address);

// The canonical text of `text` when it is a plain global unicast IPv6 address;
// nothing for any other text.
std::optional<Text> public_ipv6_text(std::string_view text);

// Whether both texts are plain IPv6 addresses and name the same address, however each
// is written ("2001:db8::1" and "2001:0DB8:0:0:0:0:0:1" are the same).
bool same_ipv6_address(std::string_view a, std::string_view b);

}  // namespace velmora
