// The IPv6 discovery under Wine, through WinHttp, against the native sandbox that the
// CTest fixture update_sandbox started: its HTTP-DNS endpoint on [::1].
#include <fstream>
#include <map>

#include "http/http_request.h"
#include "update/tests/support/ipv6_discovery_cases.h"

namespace velmora::testing {
namespace {

// The sandbox's key=value lines, as its start wrote them (path given by the build).
const std::map<std::string, std::string>& sandbox_ports() {
    static const std::map<std::string, std::string> ports = [] {
        std::map<std::string, std::string> values;
        std::ifstream file(VELMORA_UPDATE_SANDBOX_PORTS);
        for (std::string line; std::getline(file, line);) {
            const auto equals = line.find('=');
            if (equals != std::string::npos) {
                values[line.substr(0, equals)] = line.substr(equals + 1);
            }
        }
        return values;
    }();
    return ports;
}

Text query_escaped(const Text& text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    Text escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
            (byte >= 'A' && byte <= 'Z')) {
            escaped += c;
        } else {
            escaped += {'%', hex[byte >> 4], hex[byte & 0x0F]};
        }
    }
    return escaped;
}

// Steered through its control interface; every test starts from the normal replies.
class NativeSandbox {
  public:
    NativeSandbox() {
        set_public_address6("");
        set_dns6_reply(std::nullopt);
    }

    bool started() const {
        return sandbox_ports().count("dns6_port") != 0 && sandbox_ports().count("control_port");
    }
    Text dns6_address() const {
        const Text port = value("dns6_port");
        return port.empty() || port == "0" ? Text() : "[::1]:" + port;
    }
    int dns_port() const { return std::stoi(value("dns_port")); }
    void set_public_address6(const Text& address) {
        control("public-address6?ip=" + query_escaped(address));
    }
    void set_dns6_reply(const std::optional<Text>& body) {
        control(body ? "dns6-reply?body=" + query_escaped(*body) : "dns6-reply");
    }

  private:
    static Text value(const std::string& key) {
        const auto it = sandbox_ports().find(key);
        return it == sandbox_ports().end() ? Text() : it->second;
    }
    static void control(const Text& route) {
        constexpr int kPost = 1;
        const Text reply = http_request_simple(
            "http://127.0.0.1:" + value("control_port") + "/control/" + route, kPost);
        EXPECT_EQ(reply, "{\"ok\":true}\n") << route;
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(NativeUnderWine, Ipv6Discovery, NativeSandbox);

}  // namespace
}  // namespace velmora::testing
