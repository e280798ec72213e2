// The interface reader over GetAdaptersAddresses, checked against the system's unicast
// address table, which lists the same addresses with their states another way. Under
// Wine both come from the Linux host's interfaces.
#include "base/system/interface_addresses.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace velmora {
namespace {

struct TableEntry {
    Ipv6Bytes address{};
    bool temporary = false;
    bool deprecated = false;
    bool tentative = false;
};

std::vector<TableEntry> unicast_table() {
    std::vector<TableEntry> entries;
    MIB_UNICASTIPADDRESS_TABLE* table = nullptr;
    if (GetUnicastIpAddressTable(AF_INET6, &table) != NO_ERROR) {
        return entries;
    }
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_UNICASTIPADDRESS_ROW& row = table->Table[i];
        TableEntry entry;
        std::memcpy(entry.address.data(), &row.Address.Ipv6.sin6_addr, entry.address.size());
        entry.temporary = row.SuffixOrigin == IpSuffixOriginRandom;
        entry.deprecated = row.DadState == IpDadStateDeprecated;
        entry.tentative =
            row.DadState != IpDadStatePreferred && row.DadState != IpDadStateDeprecated;
        entries.push_back(entry);
    }
    FreeMibTable(table);
    return entries;
}

TEST(InterfaceAddresses, ListTheSystemsAddressesWithTheirStates) {
    const std::vector<InterfaceAddress> addresses = interface_ipv6_addresses();
    const std::vector<TableEntry> table = unicast_table();
    const Ipv6Bytes loopback{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    bool has_loopback = false;
    for (const InterfaceAddress& a : addresses) {
        EXPECT_FALSE(a.interface_name.empty());
        has_loopback = has_loopback || a.address == loopback;
        const auto same = std::find_if(table.begin(), table.end(),
                                       [&](const TableEntry& e) { return e.address == a.address; });
        ASSERT_NE(same, table.end()) << a.interface_name;
        EXPECT_EQ(same->temporary, a.temporary) << a.interface_name;
        EXPECT_EQ(same->deprecated, a.deprecated) << a.interface_name;
        EXPECT_EQ(same->tentative, a.tentative) << a.interface_name;
    }
    EXPECT_TRUE(has_loopback);  // the loopback interface is always up
    EXPECT_GE(table.size(), addresses.size());
}

}  // namespace
}  // namespace velmora
