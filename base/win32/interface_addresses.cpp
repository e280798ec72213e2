#include "base/system/interface_addresses.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <cstring>

#include "base/gbk.h"

namespace velmora {
namespace {

InterfaceAddress interface_address(const IP_ADAPTER_ADDRESSES& adapter,
                                   const IP_ADAPTER_UNICAST_ADDRESS& unicast) {
    InterfaceAddress address;
    if (adapter.FriendlyName != nullptr) {
        address.interface_name = from_wide(reinterpret_cast<const char16_t*>(adapter.FriendlyName));
    }
    const auto* socket_address = reinterpret_cast<const sockaddr_in6*>(unicast.Address.lpSockaddr);
    std::memcpy(address.address.data(), &socket_address->sin6_addr, address.address.size());
    // The system's own privacy addresses are the ones with a random suffix; a stable
    // address keeps its suffix origin even when its identifier is randomised.
    address.temporary = unicast.SuffixOrigin == IpSuffixOriginRandom;
    address.deprecated = unicast.DadState == IpDadStateDeprecated;
    address.tentative =
        unicast.DadState != IpDadStatePreferred && unicast.DadState != IpDadStateDeprecated;
    return address;
}

// The adapters holding addresses of `family`, up or not; empty when there are none or
// the list cannot be read. The list may grow between the size query and the read: ask
// again with the new size.
std::vector<unsigned char> adapter_list(ULONG family) {
    constexpr ULONG flags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    std::vector<unsigned char> buffer(16 * 1024);
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        ULONG size = static_cast<ULONG>(buffer.size());
        result = GetAdaptersAddresses(
            family, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
        if (result == ERROR_BUFFER_OVERFLOW) {
            buffer.resize(size);
        }
    }
    if (result != NO_ERROR) {
        buffer.clear();  // ERROR_NO_DATA: no interface holds such an address
    }
    return buffer;
}

// Each unicast address of `family` on an adapter that is up.
template <class Visit>
void for_each_up_address(ULONG family, Visit visit) {
    const std::vector<unsigned char> buffer = adapter_list(family);
    if (buffer.empty()) {
        return;
    }
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) {
            continue;
        }
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress;
             unicast != nullptr; unicast = unicast->Next) {
            if (unicast->Address.lpSockaddr != nullptr &&
                unicast->Address.lpSockaddr->sa_family == family) {
                visit(*adapter, *unicast);
            }
        }
    }
}

}  // namespace

std::vector<InterfaceAddress> interface_ipv6_addresses() {
    std::vector<InterfaceAddress> addresses;
    for_each_up_address(AF_INET6, [&](const IP_ADAPTER_ADDRESSES& adapter,
                                      const IP_ADAPTER_UNICAST_ADDRESS& unicast) {
        addresses.push_back(interface_address(adapter, unicast));
    });
    return addresses;
}

std::vector<Ipv4Bytes> interface_ipv4_addresses() {
    std::vector<Ipv4Bytes> addresses;
    for_each_up_address(
        AF_INET, [&](const IP_ADAPTER_ADDRESSES&, const IP_ADAPTER_UNICAST_ADDRESS& unicast) {
            Ipv4Bytes address;
            const auto* socket_address =
                reinterpret_cast<const sockaddr_in*>(unicast.Address.lpSockaddr);
            std::memcpy(address.data(), &socket_address->sin_addr, address.size());
            addresses.push_back(address);
        });
    return addresses;
}

}  // namespace velmora
