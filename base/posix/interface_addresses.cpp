#include "base/system/interface_addresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/posix/kernel_address_flags.h"

namespace velmora {
namespace {

std::vector<InterfaceAddress> kernel_address_table() {
    std::ifstream file("/proc/net/if_inet6");
    std::ostringstream table;
    table << file.rdbuf();
    return parse_kernel_address_table(table.str());
}

}  // namespace

// getifaddrs says which interfaces are up; the kernel's table adds each address's flags.
std::vector<InterfaceAddress> interface_ipv6_addresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    const std::vector<InterfaceAddress> flagged = kernel_address_table();
    std::vector<InterfaceAddress> addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        const unsigned up = IFF_UP | IFF_RUNNING;
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET6 ||
            (entry->ifa_flags & up) != up) {
            continue;
        }
        InterfaceAddress address;
        address.interface_name = entry->ifa_name;
        const auto* socket_address = reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr);
        std::memcpy(address.address.data(), &socket_address->sin6_addr, address.address.size());
        const auto known = std::find_if(flagged.begin(), flagged.end(), [&](const auto& f) {
            return f.interface_name == address.interface_name && f.address == address.address;
        });
        if (known != flagged.end()) {
            address = *known;
        }
        addresses.push_back(std::move(address));
    }
    freeifaddrs(list);
    return addresses;
}

std::vector<Ipv4Bytes> interface_ipv4_addresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    std::vector<Ipv4Bytes> addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        const unsigned up = IFF_UP | IFF_RUNNING;
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & up) != up) {
            continue;
        }
        Ipv4Bytes address;
        const auto* socket_address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        std::memcpy(address.data(), &socket_address->sin_addr, address.size());
        addresses.push_back(address);
    }
    freeifaddrs(list);
    return addresses;
}

}  // namespace velmora
