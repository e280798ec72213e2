#include "sandbox/record_rules.h"

#include <gtest/gtest.h>

namespace velmora::sandbox {
namespace {

TEST(RecordRules, DottedIpv4IsStrict) {
    for (const char* good : {"0.0.0.0", "1.2.3.4", "255.255.255.255", "203.0.113.7"}) {
        EXPECT_TRUE(is_dotted_ipv4(good)) << good;
    }
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4\r\n", " 1.2.3.4", "1.2.3.4 ", "1..3.4",
          "01.2.3.4", "1.2.3.-4", "1.2.3.4.", "a.b.c.d", "1.2.3.1000", "::1"}) {
        EXPECT_FALSE(is_dotted_ipv4(bad)) << bad;
    }
}

TEST(RecordRules, ValuesMustFitTheirType) {
    EXPECT_TRUE(value_fits_type("AAAA", "2001:db8::1"));
    EXPECT_FALSE(value_fits_type("AAAA", "1.2.3.4"));
    EXPECT_TRUE(value_fits_type("CNAME", "www.velmora-demo.example."));
    EXPECT_FALSE(value_fits_type("CNAME", "bad host"));
    EXPECT_TRUE(value_fits_type("TXT", "v=spf1 -all"));
    EXPECT_FALSE(value_fits_type("TXT", ""));
    EXPECT_FALSE(value_fits_type("A", "www.example"));
}

TEST(RecordRules, NamesTypesLinesAndIds) {
    for (const char* good : {"@", "*", "www", "*.dev", "a-b_c.d1"}) {
        EXPECT_TRUE(is_host_record_name(good)) << good;
    }
    for (const char* bad : {"", "www.", ".www", "w w", "a&b", "a..b"}) {
        EXPECT_FALSE(is_host_record_name(bad)) << bad;
    }
    EXPECT_TRUE(is_supported_type("A"));
    EXPECT_FALSE(is_supported_type("a"));
    EXPECT_FALSE(is_supported_type("SRV"));
    EXPECT_TRUE(is_default_line("\xC4\xAC\xC8\xCF"));  // GBK
    EXPECT_TRUE(is_default_line("默认"));              // UTF-8
    EXPECT_FALSE(is_default_line("\xC4\xAC"));
    EXPECT_EQ(parse_id("1001"), 1001u);
    EXPECT_FALSE(parse_id(""));
    EXPECT_FALSE(parse_id("+1"));
    EXPECT_FALSE(parse_id("12a"));
    EXPECT_FALSE(parse_id("99999999999999999999999"));
}

}  // namespace
}  // namespace velmora::sandbox
