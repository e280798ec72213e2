// The four servers over real sockets on 127.0.0.1, with libcurl as the client.
#include "sandbox/sandbox_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "sandbox/tests/test_support.h"

namespace velmora::sandbox {
namespace {

using testing::all_texts_between;
using testing::http_request;
using testing::text_between;

const std::string credential = "login_token=100001,5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";

class Sandbox : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sandbox.start(&error)) << error;
    }
    testing::HttpReply api(const std::string& action, const std::string& body) {
        return http_request("POST", "https://" + sandbox.api_host() + "/" + action, body,
                            sandbox.ca_file());
    }
    testing::HttpReply control(const std::string& method, const std::string& path) {
        return http_request(method,
                            "http://127.0.0.1:" + std::to_string(sandbox.control_port()) + path);
    }
    std::string dns(const std::string& query = "?dn=www.velmora.example&clientip=1") {
        return http_request("GET", "http://" + sandbox.dns_address() + "/d" + query).body;
    }
    std::string dns6(const std::string& query = "?dn=www.velmora.example&clientip=1") {
        return http_request("GET", "http://" + sandbox.dns6_address() + "/d" + query).body;
    }
    bool has_ipv6_endpoint() const { return sandbox.dns6_port() != 0; }
    SandboxServer sandbox;
};

TEST_F(Sandbox, ApiIsHttpsVerifiedByItsOwnCa) {
    const testing::HttpReply reply = api("Domain.List", credential + "&format=json");
    ASSERT_TRUE(reply.transferred) << reply.error;
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.headers.find("application/json"), std::string::npos);
    EXPECT_EQ(text_between(reply.body, "\"code\":\"", "\","), "1");
    // The certificate names localhost too.
    const std::string by_name = "https://localhost:" + std::to_string(sandbox.api_port());
    EXPECT_TRUE(
        http_request("POST", by_name + "/Domain.List", credential, sandbox.ca_file()).transferred);

    // Against another trust store the handshake fails.
    SandboxServer other;
    ASSERT_TRUE(other.start());
    EXPECT_FALSE(http_request("POST", "https://" + sandbox.api_host() + "/Domain.List", credential,
                              other.ca_file())
                     .transferred);
    EXPECT_EQ(api("Nope.List", credential).status, 404);
}

TEST_F(Sandbox, GbkBodyModifiesTheRecordAndIsLoggedVerbatim) {
    const std::string body = credential +
                             "&format=json&domain_id=1001&record_id=5001&sub_domain=www"
                             "&value=203.0.113.77&record_type=A&record_line_id=0&record_line=" +
                             "\xC4\xAC\xC8\xCF";
    const testing::HttpReply reply = api("Record.Modify", body);
    EXPECT_EQ(text_between(reply.body, "\"code\":\"", "\","), "1");
    EXPECT_EQ(sandbox.records(1001)->front().value, "203.0.113.77");

    const std::vector<ApiRequest> requests = sandbox.api_requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].action, "Record.Modify");
    EXPECT_EQ(requests[0].body, body);
    EXPECT_EQ(requests[0].content_type, "application/x-www-form-urlencoded");
}

TEST_F(Sandbox, HttpDnsReportsCallerOrChosenAddress) {
    EXPECT_EQ(dns(), "203.0.113.80;203.0.113.81|127.0.0.1");
    sandbox.set_public_address("198.51.100.200");
    EXPECT_EQ(dns(), "203.0.113.80;203.0.113.81|198.51.100.200");
    EXPECT_EQ(dns("?dn=unknown.example&clientip=1"), "|198.51.100.200");
    EXPECT_EQ(dns("?dn=www.velmora.example"), "203.0.113.80;203.0.113.81");
    sandbox.set_dns_reply("198.51.100.200\r\n");
    EXPECT_EQ(dns(), "198.51.100.200\r\n");
    sandbox.set_dns_reply(std::nullopt);
    sandbox.set_public_address("");
    EXPECT_EQ(dns(), "203.0.113.80;203.0.113.81|127.0.0.1");
}

TEST_F(Sandbox, HttpDnsOnIpv6LoopbackReportsItsOwnClientAddress) {
    if (!has_ipv6_endpoint()) {
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    }
    EXPECT_EQ(sandbox.dns6_address(), "[::1]:" + std::to_string(sandbox.dns6_port()));
    EXPECT_EQ(dns6(), "203.0.113.80;203.0.113.81|::1");
    sandbox.set_public_address6("2001:db8::77");
    sandbox.set_public_address("198.51.100.200");
    EXPECT_EQ(dns6(), "203.0.113.80;203.0.113.81|2001:db8::77");
    EXPECT_EQ(dns(), "203.0.113.80;203.0.113.81|198.51.100.200");
    // Each endpoint's reply is replaced on its own.
    sandbox.set_dns6_reply("junk");
    EXPECT_EQ(dns6(), "junk");
    EXPECT_EQ(dns(), "203.0.113.80;203.0.113.81|198.51.100.200");
    sandbox.set_dns_reply("v4 junk");
    sandbox.set_dns6_reply(std::nullopt);
    EXPECT_EQ(dns6(), "203.0.113.80;203.0.113.81|2001:db8::77");
    EXPECT_EQ(sandbox.counters().at("httpdns6"), 4u);
    EXPECT_EQ(sandbox.counters().at("httpdns"), 2u);
    // The IPv6 endpoint listens on ::1 only.
    EXPECT_FALSE(
        http_request("GET", "http://127.0.0.1:" + std::to_string(sandbox.dns6_port()) + "/d")
            .transferred);
}

TEST_F(Sandbox, TimeSiteAnswersHeadWithDate) {
    const std::string url = sandbox.time_url();
    const testing::HttpReply head = http_request("HEAD", url);
    ASSERT_TRUE(head.transferred) << head.error;
    const std::string date = text_between(head.headers, "Date: ", "\r\n");
    EXPECT_TRUE(date.ends_with(" GMT")) << head.headers;
    EXPECT_EQ(date.size(), 29u);  // "Tue, 08 Dec 2026 00:30:00 GMT"
    EXPECT_TRUE(head.body.empty());

    sandbox.set_date_header("Tue, 08 Dec 2026 00:30:00 GMT");
    const testing::HttpReply get = http_request("GET", url + "any/path");
    EXPECT_NE(get.headers.find("Date: Tue, 08 Dec 2026 00:30:00 GMT\r\n"), std::string::npos);
    EXPECT_FALSE(get.body.empty());
}

TEST_F(Sandbox, ControlInterfaceSteersAndReports) {
    EXPECT_EQ(control("POST", "/control/public-address?ip=192.0.2.55").status, 200);
    EXPECT_EQ(sandbox.public_address(), "192.0.2.55");
    EXPECT_EQ(control("POST", "/control/public-address?ip=bad").status, 400);

    EXPECT_EQ(control("POST", "/control/account-code?id=100001&code=-8&action=Record.List").status,
              200);
    const testing::HttpReply refused =
        api("Record.List", credential + "&format=json&domain_id=1001");
    EXPECT_EQ(text_between(refused.body, "\"code\":\"", "\","), "-8");
    EXPECT_EQ(control("POST", "/control/account-code/clear").status, 200);

    EXPECT_EQ(control("POST", "/control/record-value?record_id=7001&value=192.0.2.99").status, 200);
    const testing::HttpReply records = control("GET", "/control/records?domain_id=1003");
    EXPECT_EQ(all_texts_between(records.body, "\"value\":\"", "\",").front(), "192.0.2.99");
    EXPECT_EQ(control("GET", "/control/records?domain_id=42").status, 404);

    EXPECT_EQ(control("POST", "/control/dns-reply?body=no+pipe").status, 200);
    EXPECT_EQ(dns(), "no pipe");
    EXPECT_EQ(control("POST", "/control/dns-reply").status, 200);
    EXPECT_EQ(dns(), "203.0.113.80;203.0.113.81|192.0.2.55");

    EXPECT_EQ(control("POST", "/control/public-address6?ip=2001:db8::55").status, 200);
    EXPECT_EQ(sandbox.public_address6(), "2001:db8::55");
    EXPECT_EQ(control("POST", "/control/public-address6?ip=192.0.2.55").status, 400);
    EXPECT_EQ(control("POST", "/control/public-address6?ip=fe80::1%25eth0").status, 400);
    EXPECT_EQ(control("POST", "/control/public-address?ip=2001:db8::55").status, 400);
    EXPECT_EQ(sandbox.public_address6(), "2001:db8::55");
    EXPECT_EQ(control("POST", "/control/dns6-reply?body=a%7Cfe80::1").status, 200);
    if (has_ipv6_endpoint()) {
        EXPECT_EQ(dns6(), "a|fe80::1");
    }
    EXPECT_EQ(control("POST", "/control/ignore-record-type?on=1").status, 200);
    EXPECT_TRUE(sandbox.store().record_type_ignored());

    const std::string state = control("GET", "/control/state").body;
    EXPECT_NE(state.find("\"api_port\":" + std::to_string(sandbox.api_port())), std::string::npos);
    EXPECT_NE(state.find("\"dns6_port\":" + std::to_string(sandbox.dns6_port())),
              std::string::npos);
    EXPECT_NE(state.find("\"public_address\":\"192.0.2.55\""), std::string::npos);
    EXPECT_NE(state.find("\"public_address6\":\"2001:db8::55\""), std::string::npos);
    EXPECT_NE(state.find("\"dns6_reply\":\"a|fe80::1\""), std::string::npos);
    EXPECT_NE(state.find("\"record_type_ignored\":true"), std::string::npos);
    EXPECT_EQ(control("POST", "/control/ignore-record-type").status, 200);
    EXPECT_FALSE(sandbox.store().record_type_ignored());
    EXPECT_EQ(control("POST", "/control/dns6-reply").status, 200);
    EXPECT_EQ(control("GET", "/control/counters").body,
              std::string("{\"Record.List\":1,\"httpdns\":2") +
                  (has_ipv6_endpoint() ? ",\"httpdns6\":1}\n" : "}\n"));
    EXPECT_NE(control("GET", "/control/requests").body.find("\"action\":\"Record.List\""),
              std::string::npos);
    EXPECT_EQ(control("POST", "/control/counters/reset").status, 200);
    EXPECT_TRUE(sandbox.counters().empty());
}

TEST(SandboxLifecycle, CountsConcurrentRequestsAndCleansUp) {
    std::string ca_file;
    {
        SandboxServer sandbox;
        ASSERT_TRUE(sandbox.start());
        ca_file = sandbox.ca_file();
        ASSERT_TRUE(std::filesystem::exists(ca_file));
        std::vector<std::thread> clients;
        for (int t = 0; t < 4; ++t) {
            clients.emplace_back([&, t] {
                for (int i = 0; i < 5; ++i) {
                    const std::string value = "192.0.2." + std::to_string(t * 10 + i);
                    http_request("POST", "https://" + sandbox.api_host() + "/Record.Modify",
                                 credential + "&domain_id=1003&record_id=700" +
                                     std::to_string(t % 2 + 1) + "&sub_domain=www&value=" + value +
                                     "&record_type=A",
                                 sandbox.ca_file());
                    http_request("GET", "http://" + sandbox.dns_address() + "/d?dn=x&clientip=1");
                }
            });
        }
        for (std::thread& client : clients) {
            client.join();
        }
        const Counters counters = sandbox.counters();
        EXPECT_EQ(counters.at("Record.Modify"), 20u);
        EXPECT_EQ(counters.at("httpdns"), 20u);
        EXPECT_EQ(sandbox.api_requests().size(), 20u);
        sandbox.stop();
        sandbox.stop();
    }
    EXPECT_FALSE(std::filesystem::exists(ca_file));  // the temporary CA file is removed
}

TEST(SandboxLifecycle, FailsCleanlyOnBadSeedOrBusyPort) {
    SandboxOptions bad_seed;
    bad_seed.seed.accounts.push_back({.id = "", .token = "t", .domains = {}});
    std::string error;
    EXPECT_FALSE(SandboxServer(bad_seed).start(&error));
    EXPECT_NE(error.find("seed"), std::string::npos);

    const auto open_descriptors = [] {
        const std::filesystem::directory_iterator fds("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    SandboxServer first;
    ASSERT_TRUE(first.start());
    const auto before = open_descriptors();
    SandboxOptions same_port;
    same_port.time_port = first.time_port();  // the API and HTTP-DNS ports bind before it
    SandboxServer second(same_port);
    EXPECT_FALSE(second.start(&error));
    EXPECT_NE(error.find(std::to_string(first.time_port())), std::string::npos);
    EXPECT_EQ(open_descriptors(), before);  // nothing of the failed start is left open
    if (first.dns6_port() != 0) {
        SandboxOptions same_port6;
        same_port6.dns6_port = first.dns6_port();
        EXPECT_FALSE(SandboxServer(same_port6).start(&error));
        EXPECT_NE(error.find("[::1]:" + std::to_string(first.dns6_port())), std::string::npos)
            << error;
        EXPECT_EQ(open_descriptors(), before);
    }
    // A fixed port that is free is used as given.
    SandboxOptions fixed;
    fixed.control_port = first.control_port();
    fixed.dns6_port = first.dns6_port();
    first.stop();
    SandboxServer third(fixed);
    ASSERT_TRUE(third.start(&error)) << error;
    EXPECT_EQ(third.control_port(), fixed.control_port);
    EXPECT_EQ(third.dns6_port(), fixed.dns6_port);
}

}  // namespace
}  // namespace velmora::sandbox
