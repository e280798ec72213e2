// The IPv6 addresses the machine's own network interfaces hold, with what the system
// says about each: whether it is a temporary (privacy) address, whether it is
// deprecated, and whether duplicate address detection has passed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/types.h"

namespace velmora {

// An IPv6 address as its 16 bytes in network order.
using Ipv6Bytes = std::array<std::uint8_t, 16>;

struct InterfaceAddress {
    Text interface_name{};  // the system's name of the interface (GBK)
    Ipv6Bytes address{};
    // A privacy address the system replaces every day or so; the stable address of the
    // same prefix outlives it.
    bool temporary = false;
    // Its preferred lifetime is over (the prefix is being withdrawn): still valid for
    // connections already open, no longer chosen for new ones.
    bool deprecated = false;
    // Duplicate address detection has not passed (still running, or it found another
    // holder): the address is not yet, or never will be, this machine's.
    bool tentative = false;

    friend bool operator==(const InterfaceAddress&, const InterfaceAddress&) = default;
};

// The IPv6 addresses of every interface that is up and running, in the system's order.
// Empty when the system has no IPv6 or the list cannot be read. On Linux, when the
// kernel's address flags cannot be read, every address is reported as stable,
// preferred and confirmed.
std::vector<InterfaceAddress> interface_ipv6_addresses();

// An IPv4 address as its 4 bytes in network order.
using Ipv4Bytes = std::array<std::uint8_t, 4>;

// The IPv4 addresses of every interface that is up (and, on Linux, running), in the
// system's order; empty when the list cannot be read.
std::vector<Ipv4Bytes> interface_ipv4_addresses();

// Where the address choice gets its list: interface_ipv6_addresses, or a fake in tests.
using InterfaceAddressSource = std::function<std::vector<InterfaceAddress>()>;

}  // namespace velmora
