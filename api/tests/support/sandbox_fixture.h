// A test fixture with the substitute provider running on loopback (real HTTPS, its CA
// trusted), in-memory controls holding the demo account's credential, and endpoints
// pointing at the sandbox. Shared by the api and update tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "api/api_context.h"
#include "base/controls/control_names.h"
#include "base/endpoints.h"
#include "base/controls/memory_controls.h"
#include "http/tls_settings.h"
#include "sandbox/sandbox_server.h"

namespace velmora::testing {

// The demo seed's accounts: three domains (1001 with 25 A records, 1002 with 22, 1003
// with 2) and eight domains (2001 … 2008, 2 A records each).
inline constexpr char kThreeDomainId[] = "100001";
inline constexpr char kThreeDomainToken[] = "5f0c3e7a9b1d4c2e8f6a0b3d7c9e1f24";
inline constexpr char kEightDomainId[] = "100002";
inline constexpr char kEightDomainToken[] = "9a8b7c6d5e4f30211203f4e5d6c7b8a9";

class SandboxTest : public ::testing::Test {
  protected:
    SandboxTest() : SandboxTest(options()) {}
    explicit SandboxTest(sandbox::SandboxOptions options) : sandbox_(std::move(options)) {}

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sandbox_.start(&error)) << error;
        set_extra_ca_file(sandbox_.ca_file());
        endpoints_.api_host = sandbox_.api_host();
        endpoints_.httpdns_address = sandbox_.dns_address();
        endpoints_.httpdns6_address = sandbox_.dns6_address();
        endpoints_.httpdns_name = "www.velmora.example";
        endpoints_.time_url = sandbox_.time_url();
        endpoints_.extra_ca_file = sandbox_.ca_file();
        endpoints_.update_period = std::chrono::milliseconds(1);
        sandbox_.set_date_header("Tue, 05 Mar 2024 06:07:09 GMT");
        enter_credential(kThreeDomainId, kThreeDomainToken);
    }

    void TearDown() override { set_extra_ca_file(""); }

    void enter_credential(const Text& id, const Text& token) {
        controls_.set_edit_text(control::id_edit(), id);
        controls_.set_edit_text(control::token_edit(), token);
    }

    ApiContext context() { return {controls_, endpoints_}; }

    std::uint64_t count(const std::string& action) const {
        const auto counters = sandbox_.counters();
        const auto found = counters.find(action);
        return found == counters.end() ? 0 : found->second;
    }

    TextList bodies(const std::string& action) const {
        TextList result;
        for (const auto& request : sandbox_.api_requests()) {
            if (request.action == action) {
                result.push_back(request.body);
            }
        }
        return result;
    }

    static sandbox::SandboxOptions options() {
        sandbox::SandboxOptions options;
        options.threads = 2;
        return options;
    }

    sandbox::SandboxServer sandbox_;
    MemoryControls controls_;
    Endpoints endpoints_;
};

}  // namespace velmora::testing
