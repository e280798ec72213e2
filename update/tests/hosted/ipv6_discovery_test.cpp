// The IPv6 discovery against the sandbox hosted in-process, its IPv6 endpoint on [::1].
#include "sandbox/sandbox_server.h"
#include "update/tests/support/ipv6_discovery_cases.h"

namespace velmora::testing {
namespace {

class InProcessSandbox {
  public:
    InProcessSandbox() : started_(server_.start()) {}

    bool started() const { return started_; }
    Text dns6_address() const { return server_.dns6_address(); }
    int dns_port() const { return server_.dns_port(); }
    void set_public_address6(const Text& address) { server_.set_public_address6(address); }
    void set_dns6_reply(const std::optional<Text>& body) { server_.set_dns6_reply(body); }

  private:
    sandbox::SandboxServer server_;
    bool started_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(InProcess, Ipv6Discovery, InProcessSandbox);

}  // namespace
}  // namespace velmora::testing
