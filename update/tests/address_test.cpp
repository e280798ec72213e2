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

}  // namespace
}  // namespace velmora
