// Learning the machine's public IPv6 address: first from the HTTP-DNS endpoint reached
// over IPv6 (it echoes the address the request came from), else from the machine's
// own interfaces.
#pragma once

#include "base/endpoints.h"
#include "base/system/interface_addresses.h"
#include "base/types.h"

namespace velmora {

enum class Ipv6Source {
    endpoint,    // the HTTP-DNS endpoint's echo
    interfaces,  // an address of the machine's own interfaces
    none,        // neither gave a public address
};

struct PublicIpv6 {
    Ipv6Source source = Ipv6Source::none;
    Text address{};  // canonical text (RFC 5952) of a global unicast address; empty for none

    friend bool operator==(const PublicIpv6&, const PublicIpv6&) = default;
};

// The endpoint at endpoints.httpdns6_address (skipped when that is empty) when its
// echo is one plain global unicast IPv6 address; otherwise the choice among the
// addresses `interfaces` lists (see choose_interface_address); otherwise none. The
// endpoint's reply is untrusted: anything else in it is never used.
PublicIpv6 discover_public_ipv6(
    const Endpoints& endpoints,
    const InterfaceAddressSource& interfaces = interface_ipv6_addresses);

}  // namespace velmora
