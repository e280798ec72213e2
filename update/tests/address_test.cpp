#include <gtest/gtest.h>

#include "update/address_discovery.h"
#include "update/ipv4_address.h"

namespace velmora {
namespace {

TEST(TextAfterLast, TakesWhatFollowsTheLastSeparator) {
    EXPECT_EQ(text_after_last("198.51.100.1;198.51.100.2|203.0.113.7", "|"), "203.0.113.7");
    EXPECT_EQ(text_after_last("a|b|c", "|"), "c");
    EXPECT_EQ(text_after_last("a||c", "||"), "c");
    EXPECT_EQ(text_after_last("203.0.113.7\n", "|"), "");
    EXPECT_EQ(text_after_last("a|", "|"), "");
    EXPECT_EQ(text_after_last("a|203.0.113.7\r\n", "|"), "203.0.113.7\r\n");
    EXPECT_EQ(text_after_last("", "|"), "");
    EXPECT_EQ(text_after_last("abc", ""), "");
}

TEST(PlainIpv4, AcceptsFourDecimalFields) {
    EXPECT_TRUE(is_plain_ipv4("203.0.113.7"));
    EXPECT_TRUE(is_plain_ipv4("0.0.0.0"));
    EXPECT_TRUE(is_plain_ipv4("255.255.255.255"));
}

TEST(PlainIpv4, RejectsAnythingElse) {
    for (const char* text :
         {"", "203.0.113.7\n", "203.0.113.7\r\n", " 203.0.113.7", "203.0.113.7 ", "256.1.1.1",
          "1.2.3", "1.2.3.4.5", "1..3.4", "1.2.3.", ".1.2.3", "1234.1.1.1", "-1.2.3.4", "+1.2.3.4",
          "1.2.3.4a", "a.b.c.d", "2001:db8::1", "1.2.3.0004"}) {
        EXPECT_FALSE(is_plain_ipv4(text)) << '"' << text << '"';
    }
}

TEST(PublicIpv4, OnlyAddressesThatCanBeThisMachinesPublicOneAreWritten) {
    // The edges of every range that can never be a public address, and their neighbours.
    const struct {
        const char* address;
        bool is_public;
    } cases[] = {
        {"0.0.0.0", false},
        {"0.255.255.255", false},
        {"1.0.0.0", true},
        {"9.255.255.255", true},
        {"10.0.0.0", false},
        {"10.255.255.255", false},
        {"11.0.0.0", true},
        {"100.63.255.255", true},
        {"100.64.0.0", false},
        {"100.127.255.255", false},
        {"100.128.0.0", true},
        {"126.255.255.255", true},
        {"127.0.0.1", false},
        {"128.0.0.0", true},
        {"169.253.255.255", true},
        {"169.254.0.1", false},
        {"169.255.0.0", true},
        {"172.15.255.255", true},
        {"172.16.0.0", false},
        {"172.31.255.255", false},
        {"172.32.0.0", true},
        {"192.167.255.255", true},
        {"192.168.0.1", false},
        {"192.169.0.0", true},
        {"223.255.255.255", true},
        {"224.0.0.1", false},
        {"239.255.255.255", false},
        {"240.0.0.1", false},
        {"255.255.255.255", false},
        // The documentation ranges stay usable: the sandbox and the tests use them.
        {"192.0.2.1", true},
        {"198.51.100.10", true},
        {"203.0.113.7", true},
        // Not plain: never.
        {"8.8.8.8\n", false},
        {" 8.8.8.8", false},
        {"", false},
    };
    for (const auto& [address, is_public] : cases) {
        EXPECT_EQ(is_public_ipv4(address), is_public) << address;
    }
}

}  // namespace
}  // namespace velmora
