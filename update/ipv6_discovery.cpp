#include "update/ipv6_discovery.h"

#include <optional>

#include "update/address_discovery.h"
#include "update/ipv6_address.h"
#include "update/ipv6_interface_choice.h"

namespace velmora {

PublicIpv6 discover_public_ipv6(const Endpoints& endpoints,
                                const InterfaceAddressSource& interfaces) {
    if (!endpoints.httpdns6_address.empty()) {
        const std::optional<Text> echoed = public_ipv6_text(
            echoed_client_address(endpoints.httpdns6_address, endpoints.httpdns_name));
        if (echoed) {
            return {Ipv6Source::endpoint, *echoed};
        }
    }
    if (const std::optional<Ipv6Bytes> own = choose_interface_address(interfaces())) {
        return {Ipv6Source::interfaces, ipv6_text(*own)};
    }
    return {};
}

}  // namespace velmora
