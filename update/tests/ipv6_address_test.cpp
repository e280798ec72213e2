#include "update/ipv6_address.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

TEST(Ipv6Text, ReadsEveryPlainFormAndWritesTheCanonicalOne) {
    const struct {
        const char* text;
        const char* canonical;
    } cases[] = {
        {"2001:db8::1", "2001:db8::1"},
        {"2001:0DB8:0:0:0:0:0:1", "2001:db8::1"},
        {"2001:0db8:0000:0000:0000:0000:0000:0001", "2001:db8::1"},
        {"2001:DB8:AbCd::", "2001:db8:abcd::"},
        {"2001:db8::0:1", "2001:db8::1"},
        // The longest zero run is shortened; of equal runs the first.
        {"2001:db8:0:1:0:0:0:1", "2001:db8:0:1::1"},
        {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},
        {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},
        // A single zero group is never "::".
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},
        {"2001:db8:1:1:1:1:1:0", "2001:db8:1:1:1:1:1:0"},
        {"1:2:3:4:5:6:7::", "1:2:3:4:5:6:7:0"},
        {"::2:3:4:5:6:7:8", "0:2:3:4:5:6:7:8"},
        {"0001:0002::", "1:2::"},
        {"::", "::"},
        {"0:0:0:0:0:0:0:0", "::"},
        {"::1", "::1"},
        {"1::", "1::"},
        {"fe80::fc:ff:fe00:1", "fe80::fc:ff:fe00:1"},
        // RFC 4291's mixed form is read; only IPv4-mapped addresses are written in it.
        {"2001:db8::192.0.2.1", "2001:db8::c000:201"},
        {"::ffff:192.0.2.1", "::ffff:192.0.2.1"},
        {"::ffff:c000:201", "::ffff:192.0.2.1"},
        {"::FFFF:0.0.0.0", "::ffff:0.0.0.0"},
        {"1:2:3:4:5:6:255.255.255.255", "1:2:3:4:5:6:ffff:ffff"},
        {"0000:0000:0000:0000:0000:ffff:255.255.255.255", "::ffff:255.255.255.255"},
    };
    for (const auto& c : cases) {
        const auto address = parse_ipv6(c.text);
        ASSERT_TRUE(address) << c.text;
        EXPECT_EQ(ipv6_text(*address), c.canonical) << c.text;
        EXPECT_EQ(parse_ipv6(ipv6_text(*address)), address) << c.text;
    }
    EXPECT_EQ(parse_ipv6("2001:db8::a:b"),
              (Ipv6Bytes{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0a, 0, 0x0b}));
}

TEST(Ipv6Text, RefusesAnythingButOnePlainAddress) {
    for (const std::string& text :
         std::initializer_list<std::string>{"",
                                            " 2001:db8::1",
                                            "2001:db8::1 ",
                                            "2001:db8::1\n",
                                            "2001:db8::1\r\n",
                                            "\t2001:db8::1",
                                            "[2001:db8::1]",
                                            "[2001:db8::1]:80",
                                            "fe80::1%eth0",
                                            "fe80::1%1",
                                            "2001:db8::/32",
                                            "2001:db8::1/64",
                                            "2001:db8:::1",
                                            "2001::db8::1",
                                            "::1::",
                                            ":2001:db8::1",
                                            "2001:db8::1:",
                                            ":",
                                            ":::",
                                            "1:2:3:4:5:6:7:8:9",
                                            "1:2:3:4:5:6:7",
                                            "1:2:3:4:5:6:7:8::",
                                            "::1:2:3:4:5:6:7:8",
                                            "1::2:3:4:5:6:7:8",
                                            "12345::",
                                            "0x20::1",
                                            "g::1",
                                            "+1::",
                                            "-1::",
                                            "2001:db8::1|",
                                            "192.0.2.1",
                                            "::192.0.2.01",
                                            "::192.0.2.256",
                                            "::192.0.2",
                                            "::1.2.3.4.5",
                                            "::1..3.4",
                                            "::1.2.3.",
                                            "1.2.3.4::",
                                            "::1.2.3.4:5",
                                            "1:2:3:4:5:6:7:1.2.3.4",
                                            "::ffff:1.2.3.4 ",
                                            "::ffff:a.b.c.d",
                                            "2001:db8::1,::2",
                                            "2001:db8::1 2001:db8::2",
                                            "\xA3\xB2\xA3\xB0\xA3\xB0\xA3\xB1::1",
                                            std::string("2001:db8::1\0", 12),
                                            std::string("2001:db8::\0"
                                                        "1",
                                                        12),
                                            "0000:0000:0000:0000:0000:0000:0000:0000:0",
                                            std::string(200, ':'),
                                            std::string(46, '0')}) {
        EXPECT_FALSE(parse_ipv6(text)) << '"' << text << '"';
    }
}

TEST(Ipv6GlobalUnicast, IsExactly2000Slash3) {
    for (const char* global : {"2001:db8::1", "2000::", "3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
                               "2a00:1450::1", "2002:c000:201::1", "2001::1"}) {
        EXPECT_TRUE(is_global_unicast(*parse_ipv6(global))) << global;
    }
    for (const char* other :
         {"::", "::1", "1fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "4000::", "fe80::1", "fd00::2",
          "fc00::1", "ff02::1", "ff0e::1", "::ffff:203.0.113.7", "64:ff9b::c000:201",
          "::203.0.113.7", "100::1", "fec0::1"}) {
        EXPECT_FALSE(is_global_unicast(*parse_ipv6(other))) << other;
    }
}

TEST(PublicIpv6Text, GivesTheCanonicalTextOfAGlobalAddressOnly) {
    EXPECT_EQ(public_ipv6_text("2001:0DB8:0:0:0:0:0:1"), "2001:db8::1");
    EXPECT_EQ(public_ipv6_text("2001:db8::192.0.2.1"), "2001:db8::c000:201");
    EXPECT_EQ(public_ipv6_text("fd00::2"), std::nullopt);
    EXPECT_EQ(public_ipv6_text("::ffff:203.0.113.7"), std::nullopt);
    EXPECT_EQ(public_ipv6_text("203.0.113.7"), std::nullopt);
    EXPECT_EQ(public_ipv6_text("2001:db8::1\r\n"), std::nullopt);
}

TEST(SameIpv6Address, ComparesTheAddressesNotTheirSpelling) {
    EXPECT_TRUE(same_ipv6_address("2001:db8::1", "2001:0db8:0:0:0:0:0:1"));
    EXPECT_TRUE(same_ipv6_address("2001:DB8::A", "2001:db8::a"));
    EXPECT_TRUE(same_ipv6_address("::ffff:192.0.2.1", "::ffff:c000:201"));
    EXPECT_TRUE(same_ipv6_address("fe80::1", "fe80::1"));
    EXPECT_FALSE(same_ipv6_address("2001:db8::1", "2001:db8::2"));
    EXPECT_FALSE(same_ipv6_address("2001:db8::1", "2001:db8::1 "));
    EXPECT_FALSE(same_ipv6_address("2001:db8::1", ""));
    EXPECT_FALSE(same_ipv6_address("", ""));
    EXPECT_FALSE(same_ipv6_address("junk", "junk"));
    EXPECT_FALSE(same_ipv6_address("192.0.2.1", "192.0.2.1"));
}

}  // namespace
}  // namespace velmora
