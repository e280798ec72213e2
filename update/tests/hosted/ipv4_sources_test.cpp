// The IPv4 sources in their order, against loopback servers: the endpoint, the
// machine's one public interface address, the listed echo services, and the echo
// replies that must never be written.
#include "update/ipv4_sources.h"

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "base/tests/posix/private_network.h"
#include "http/tests/support/fixture_server.h"
#include "http/tests/support/test_certificates.h"
#include "http/tls_settings.h"

namespace velmora {
namespace {

using testing::FixtureReply;
using testing::FixtureServer;
using testing::http_reply;

FixtureReply body(const std::string& text) {
    return {http_reply(200, "OK", text, {"Content-Type: text/plain"})};
}

Ipv4Bytes bytes(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return {a, b, c, d};
}

class Ipv4SourcesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        endpoints_.httpdns_address = "127.0.0.1:" + std::to_string(testing::refused_port());
        endpoints_.httpdns_name = "www.velmora.example";
        echo_.route("/junk", [](const auto&) { return body("<html>hello</html>"); });
        echo_.route("/private", [](const auto&) { return body("192.168.1.20\n"); });
        echo_.route("/huge", [](const auto&) { return body(std::string(3 << 20, '1')); });
        echo_.route("/two", [](const auto&) { return body("198.51.100.1 198.51.100.2"); });
        echo_.route("/missing",
                    [](const auto&) { return FixtureReply{http_reply(404, "Not Found", "")}; });
        echo_.route("/good", [](const auto&) { return body(" \t203.0.113.9\r\n"); });
    }

    std::vector<EchoSource> list(std::initializer_list<const char*> paths) {
        std::vector<EchoSource> sources;
        for (const char* path : paths) {
            const std::string url = std::string(path).find(':') == std::string::npos
                                        ? echo_.url(path)
                                        : std::string(path);
            sources.push_back({std::to_string(sources.size() + 1), url});
        }
        return sources;
    }

    Endpoints endpoints_;
    FixtureServer echo_;
    std::vector<Ipv4Bytes> interfaces_;
    Ipv4Sources sources_{[this] { return interfaces_; }};
};

TEST_F(Ipv4SourcesTest, TheEndpointComesFirstThenTheOneInterfaceAddressThenTheEchoes) {
    FixtureServer endpoint;
    endpoint.route("/d",
                   [](const auto&) { return body("198.51.100.30;198.51.100.31|198.51.100.40"); });
    interfaces_ = {bytes(10, 0, 0, 2), bytes(198, 51, 100, 7)};
    sources_.set_echo_sources(list({"/good"}));

    endpoints_.httpdns_address = "127.0.0.1:" + std::to_string(endpoint.port());
    Ipv4Sources::Found found = sources_.find(endpoints_);
    EXPECT_EQ(found.address.address, "198.51.100.40");
    EXPECT_TRUE(found.notes.empty());

    // The endpoint down: the one public interface address (a private one beside it does
    // not count), said once.
    endpoints_.httpdns_address = "127.0.0.1:" + std::to_string(testing::refused_port());
    found = sources_.find(endpoints_);
    EXPECT_EQ(found.address.address, "198.51.100.7");
    EXPECT_EQ(found.notes, TextList{gbk("地址服务未给出公网IP，改用本机网卡：198.51.100.7")});
    EXPECT_TRUE(sources_.find(endpoints_).notes.empty());

    // Two public addresses: which one the world sees is unknown, so the echo answers.
    interfaces_.push_back(bytes(203, 0, 113, 50));
    found = sources_.find(endpoints_);
    EXPECT_EQ(found.address.address, "203.0.113.9");
    EXPECT_EQ(found.notes.size(), 1u);
    EXPECT_NE(found.notes[0].find(gbk("改用地址来源1（")), Text::npos);
    EXPECT_TRUE(echo_.requests().size() == 1u);
}

TEST_F(Ipv4SourcesTest, BadEchoesAreSkippedWithOneLineEachAndNeverGiveTheAddress) {
    sources_.set_echo_sources(
        list({"ftp://127.0.0.1/ip", "/junk", "/private", "/huge", "/two", "/missing", "/good"}));
    const Ipv4Sources::Found found = sources_.find(endpoints_);
    EXPECT_EQ(found.address.address, "203.0.113.9");
    const auto said = [&](const std::string& key, const Text& why) {
        const Text start = gbk("地址来源") + key + gbk("（");
        for (const Text& note : found.notes) {
            if (note.rfind(start, 0) == 0 && note.find(why) != Text::npos) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(said("1", gbk("不是http或https网址")));
    EXPECT_TRUE(said("2", gbk("回复的不是一个IPv4地址")));
    EXPECT_TRUE(said("3", gbk("回复的不是公网地址：192.168.1.20")));
    EXPECT_TRUE(said("4", gbk("回复过长")));
    EXPECT_TRUE(said("5", gbk("回复的不是一个IPv4地址")));
    EXPECT_TRUE(said("6", gbk("回复状态不是200")));
    EXPECT_EQ(found.notes.size(), 7u);  // six skipped, then the source that answered

    // The next search says nothing new.
    EXPECT_TRUE(sources_.find(endpoints_).notes.empty());
    // Without a source that answers: the endpoint's own failure, as without any list.
    sources_.set_echo_sources(list({"/junk"}));
    const Ipv4Sources::Found none = sources_.find(endpoints_);
    EXPECT_TRUE(none.address.address.empty());
    EXPECT_EQ(none.address.failure, discover_usable_address(endpoints_).failure);
}

TEST_F(Ipv4SourcesTest, AnEchoThatRedirectsFromHttpsToHttpIsSkipped) {
    FixtureServer secure(FixtureServer::Tls::trusted);
    const std::string plain_url = echo_.url("/good");
    secure.route("/ip", [&](const auto&) {
        return FixtureReply{http_reply(302, "Found", "", {"Location: " + plain_url})};
    });
    secure.route("/direct", [](const auto&) { return body("198.51.100.77"); });
    set_extra_ca_file(testing::trust_test_ca());
    sources_.set_echo_sources(list({secure.url("/ip").c_str(), secure.url("/direct").c_str()}));
    const Ipv4Sources::Found found = sources_.find(endpoints_);
    set_extra_ca_file("");
    EXPECT_EQ(found.address.address, "198.51.100.77");
    ASSERT_EQ(found.notes.size(), 2u);
    EXPECT_NE(found.notes[0].find(gbk("回复状态不是200：302")), Text::npos);
    EXPECT_TRUE(echo_.requests().empty());  // the http hop was never taken
}

// The machine's own reader, in a namespace whose loopback holds a public address.
TEST(Ipv4InterfaceSource, TheEndpointDownAndAPublicAddressOnAnInterface) {
    const std::string report = testing::in_private_network(
        [] {
            Endpoints endpoints;
            endpoints.httpdns_address = "127.0.0.1:" + std::to_string(testing::refused_port());
            Ipv4Sources sources;
            return sources.find(endpoints).address.address;
        },
        "ip link set lo up && ip addr add 198.51.100.7/24 dev lo");
    if (report == "unavailable") {
        GTEST_SKIP() << "no private network namespace here";
    }
    EXPECT_EQ(report, "198.51.100.7");
}

}  // namespace
}  // namespace velmora
