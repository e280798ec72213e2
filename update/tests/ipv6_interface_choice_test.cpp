#include "update/ipv6_interface_choice.h"

#include <gtest/gtest.h>

#include "update/ipv6_address.h"

namespace velmora {
namespace {

enum Flags : unsigned { plain = 0, temporary = 1, deprecated = 2, tentative = 4 };

InterfaceAddress address(const char* text, unsigned flags = plain, const char* name = "eth0") {
    return {.interface_name = name,
            .address = *parse_ipv6(text),
            .temporary = (flags & temporary) != 0,
            .deprecated = (flags & deprecated) != 0,
            .tentative = (flags & tentative) != 0};
}

TEST(Ipv6InterfaceChoice, PrefersStablePreferredConfirmedGlobalAddresses) {
    const struct {
        const char* label;
        std::vector<InterfaceAddress> list;
        const char* chosen;  // nullptr: none
    } cases[] = {
        {"nothing at all", {}, nullptr},
        {"only loopback, unique-local and link-local (this machine's kind)",
         {address("::1", plain, "lo"), address("fd00::2"), address("fe80::fc:ff:fe00:1")},
         nullptr},
        {"multicast, IPv4-mapped and unspecified are no host's address",
         {address("ff02::1"), address("::ffff:203.0.113.7"), address("::")},
         nullptr},
        {"a global address among local ones",
         {address("::1", plain, "lo"), address("fe80::1"), address("fd00::2"),
          address("2001:db8::2")},
         "2001:db8::2"},
        {"the stable address before the temporary one, whatever the order",
         {address("2001:db8::aaaa", temporary), address("2001:db8::1")},
         "2001:db8::1"},
        {"a temporary address when it is the only global one",
         {address("fd00::2"), address("2001:db8::aaaa", temporary)},
         "2001:db8::aaaa"},
        {"a preferred address before a deprecated one",
         {address("2001:db8:1::1", deprecated), address("2001:db8:2::1")},
         "2001:db8:2::1"},
        {"a preferred temporary address before a deprecated stable one",
         {address("2001:db8:1::1", deprecated), address("2001:db8:2::aaaa", temporary)},
         "2001:db8:2::aaaa"},
        {"a deprecated stable address before a deprecated temporary one",
         {address("2001:db8:1::aaaa", temporary | deprecated),
          address("2001:db8:1::1", deprecated)},
         "2001:db8:1::1"},
        {"a deprecated address rather than none",
         {address("fe80::1"), address("2001:db8:1::1", deprecated)},
         "2001:db8:1::1"},
        {"never an address whose duplicate check has not passed",
         {address("2001:db8::1", tentative), address("2001:db8::aaaa", temporary | deprecated)},
         "2001:db8::aaaa"},
        {"nothing when the only global address is tentative",
         {address("2001:db8::1", tentative)},
         nullptr},
        {"the first of equals in the system's order",
         {address("2001:db8:1::1", plain, "eth0"), address("2001:db8:2::1", plain, "wlan0")},
         "2001:db8:1::1"},
        {"the edges of 2000::/3",
         {address("1fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"), address("4000::1"),
          address("3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff")},
         "3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"},
    };
    for (const auto& c : cases) {
        const std::optional<Ipv6Bytes> chosen = choose_interface_address(c.list);
        if (c.chosen == nullptr) {
            EXPECT_EQ(chosen, std::nullopt) << c.label;
        } else {
            ASSERT_TRUE(chosen) << c.label;
            EXPECT_EQ(ipv6_text(*chosen), c.chosen) << c.label;
        }
    }
}

}  // namespace
}  // namespace velmora
