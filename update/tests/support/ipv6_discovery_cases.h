// The IPv6 discovery against a running sandbox, one set of cases for both platforms:
// the Linux tests host the sandbox in-process, the Windows tests reach a native one
// under Wine. Include from exactly one test source, which instantiates the suite with
// its sandbox type, providing:
//   bool started();                      the sandbox runs (a failed start fails the test)
//   Text dns6_address();                 "[::1]:PORT"; empty without an IPv6 loopback
//   int dns_port();                      the HTTP-DNS endpoint on 127.0.0.1
//   void set_public_address6(const Text&);             empty: echo the caller
//   void set_dns6_reply(const std::optional<Text>&);   nullopt: the normal reply
// Each test gets a fresh sandbox object, which starts from the normal replies.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "update/ipv6_address.h"
#include "update/ipv6_discovery.h"

namespace velmora::testing {

template <class Sandbox>
class Ipv6Discovery : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.started());
        if (sandbox_.dns6_address().empty()) {
            GTEST_SKIP() << "this machine has no IPv6 loopback";
        }
    }

    PublicIpv6 discover(const Text& httpdns6_address) {
        Endpoints endpoints;
        endpoints.httpdns6_address = httpdns6_address;
        endpoints.httpdns_name = "www.velmora.example";
        return discover_public_ipv6(endpoints, [this] {
            ++interface_reads_;
            return interfaces_;
        });
    }
    PublicIpv6 discover() { return discover(sandbox_.dns6_address()); }

    static InterfaceAddress interface_address(const char* text) {
        return {.interface_name = "eth0", .address = *parse_ipv6(text)};
    }

    Sandbox sandbox_;
    std::vector<InterfaceAddress> interfaces_{interface_address("fe80::1"),
                                              interface_address("2001:db8:1::1")};
    const PublicIpv6 from_interfaces_{Ipv6Source::interfaces, "2001:db8:1::1"};
    int interface_reads_ = 0;
};

TYPED_TEST_SUITE_P(Ipv6Discovery);

TYPED_TEST_P(Ipv6Discovery, TheEndpointsEchoIsTheAddressInCanonicalForm) {
    this->sandbox_.set_public_address6("2001:DB8:0:0:0:0:0:5");
    EXPECT_EQ(this->discover(), (PublicIpv6{Ipv6Source::endpoint, "2001:db8::5"}));
    EXPECT_EQ(this->interface_reads_, 0);  // the interfaces are not even read
    this->sandbox_.set_dns6_reply("203.0.113.80;203.0.113.81|2001:db8::77");
    EXPECT_EQ(this->discover(), (PublicIpv6{Ipv6Source::endpoint, "2001:db8::77"}));
}

TYPED_TEST_P(Ipv6Discovery, AnEchoOutsideGlobalUnicastLeavesItToTheInterfaces) {
    // Unsteered, the endpoint echoes the caller: ::1.
    EXPECT_EQ(this->discover(), this->from_interfaces_);
    for (const char* echoed :
         {"fe80::1", "fd00::2", "::", "ff02::1", "::ffff:203.0.113.7", "4000::1"}) {
        this->sandbox_.set_public_address6(echoed);
        EXPECT_EQ(this->discover(), this->from_interfaces_) << echoed;
    }
    EXPECT_EQ(this->interface_reads_, 7);
}

TYPED_TEST_P(Ipv6Discovery, AReplyThatIsNotOnePlainAddressIsNotUsed) {
    for (const std::string reply :
         {"", "no bar at all", "2001:db8::5", "|", "|2001:db8::5\r\n", "|2001:db8::5\n",
          "|2001:db8::5 ", "| 2001:db8::5", "|[2001:db8::5]", "|2001:db8::5%eth0",
          "|2001:db8::5/64", "|2001:db8::5|", "|2001:db8::5;2001:db8::6", "|203.0.113.7",
          "|2001:db8:::5", "|2001:db8::5\xA1\xA1", "<html>|2001:db8::5</html>"}) {
        this->sandbox_.set_dns6_reply(reply);
        EXPECT_EQ(this->discover(), this->from_interfaces_) << '"' << reply << '"';
    }
}

TYPED_TEST_P(Ipv6Discovery, AnEndpointThatRefusesOrAnswersOverIpv4LeavesItToTheInterfaces) {
    const Text port = std::to_string(this->sandbox_.dns_port());
    // That port is the IPv4 endpoint's: nothing listens on it at ::1.
    EXPECT_EQ(this->discover("[::1]:" + port), this->from_interfaces_);
    // Reached over IPv4, the endpoint echoes an IPv4 address.
    EXPECT_EQ(this->discover("127.0.0.1:" + port), this->from_interfaces_);
    // No endpoint configured: no request at all.
    EXPECT_EQ(this->discover(""), this->from_interfaces_);
    EXPECT_EQ(this->interface_reads_, 3);
}

TYPED_TEST_P(Ipv6Discovery, WhenNeitherSourceHasAPublicAddressThereIsNone) {
    this->interfaces_ = {this->interface_address("::1"), this->interface_address("fd00::2"),
                         this->interface_address("fe80::fc:ff:fe00:1")};
    EXPECT_EQ(this->discover(), PublicIpv6{});
    EXPECT_EQ(this->discover(), (PublicIpv6{Ipv6Source::none, ""}));
}

REGISTER_TYPED_TEST_SUITE_P(Ipv6Discovery, TheEndpointsEchoIsTheAddressInCanonicalForm,
                            AnEchoOutsideGlobalUnicastLeavesItToTheInterfaces,
                            AReplyThatIsNotOnePlainAddressIsNotUsed,
                            AnEndpointThatRefusesOrAnswersOverIpv4LeavesItToTheInterfaces,
                            WhenNeitherSourceHasAPublicAddressThereIsNone);

}  // namespace velmora::testing
