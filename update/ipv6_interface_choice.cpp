#include "update/ipv6_interface_choice.h"

#include "update/ipv6_address.h"

namespace velmora {
namespace {

// Lower is better.
int rank(const InterfaceAddress& address) {
    return (address.deprecated ? 2 : 0) + (address.temporary ? 1 : 0);
}

}  // namespace

std::optional<Ipv6Bytes> choose_interface_address(const std::vector<InterfaceAddress>& addresses) {
    const InterfaceAddress* best = nullptr;
    for (const InterfaceAddress& address : addresses) {
        if (address.tentative || !is_global_unicast(address.address)) {
            continue;
        }
        if (best == nullptr || rank(address) < rank(*best)) {
            best = &address;
        }
    }
    return best == nullptr ? std::nullopt : std::optional<Ipv6Bytes>(best->address);
}

}  // namespace velmora
