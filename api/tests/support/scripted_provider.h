// A provider on loopback that answers with replies the test writes itself: the lists of a
// reply can be made not to line up (a record without a field, a field repeated outside
// the records), which the substitute provider never does. Real HTTPS; the fixture CA is
// trusted from construction on, so point endpoints.api_host at host() afterwards.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "base/types.h"
#include "http/tests/support/fixture_server.h"
#include "http/tests/support/test_certificates.h"
#include "http/tls_settings.h"

namespace velmora::testing {

// Domain 1001 with three A records, in the provider's layout: the domain object with its
// unquoted id first, then the records with quoted fields.
inline constexpr char kScriptedRecordList[] =
    R"({"status":{"code":"1","message":"ok"},)"
    R"("domain":{"id":1001,"name":"velmora-demo.example","punycode":"velmora-demo.example",)"
    R"("status":"enable"},"info":{"sub_domains":"3","record_total":"3","records_num":"3"},)"
    R"("records":[)"
    R"({"id":"5001","name":"www","type":"A","value":"198.51.100.10","ttl":"600","status":"enable"},)"
    R"({"id":"5002","name":"home","type":"A","value":"198.51.100.11","ttl":"600","status":"enable"},)"
    R"({"id":"5003","name":"nas","type":"A","value":"198.51.100.12","ttl":"600","status":"enable"}]})";

// kScriptedRecordList with the first `from` replaced by `to`.
inline std::string scripted_record_list(const std::string& from, const std::string& to) {
    std::string reply = kScriptedRecordList;
    const auto at = reply.find(from);
    if (at == std::string::npos) {
        ADD_FAILURE() << "not in the scripted reply: " << from;
        return reply;
    }
    return reply.replace(at, from.size(), to);
}

class ScriptedProvider {
  public:
    ScriptedProvider() {
        set_extra_ca_file(trust_test_ca());
        server_.route("/Domain.List", [](const RawRequest&) {
            return FixtureReply{http_reply(
                200, "OK",
                R"({"status":{"code":"1","message":"ok"},"info":{"domain_total":1},)"
                R"("domains":[{"id":1001,"status":"enable","punycode":"velmora-demo.example",)"
                R"("name":"velmora-demo.example","records":"3"}]})")};
        });
        server_.route("/Record.List", [this](const RawRequest& request) {
            std::lock_guard lock(mutex_);
            const bool aaaa = request.body.find("&record_type=AAAA&") != std::string::npos;
            return FixtureReply{http_reply(200, "OK", aaaa ? aaaa_list_ : record_list_)};
        });
    }

    Text host() const { return "127.0.0.1:" + std::to_string(server_.port()); }

    // The reply to the A list, and to the AAAA list (by default a refusal, as some
    // providers answer for a type the domain has no record of).
    void set_record_list(const std::string& reply) {
        std::lock_guard lock(mutex_);
        record_list_ = reply;
    }
    void set_aaaa_list(const std::string& reply) {
        std::lock_guard lock(mutex_);
        aaaa_list_ = reply;
    }

    // The bodies that reached /<action>, oldest first.
    TextList bodies(const std::string& action) const {
        TextList result;
        for (const RawRequest& request : server_.requests()) {
            if (request.path == "/" + action) {
                result.push_back(request.body);
            }
        }
        return result;
    }

  private:
    std::mutex mutex_;
    std::string record_list_ = kScriptedRecordList;
    std::string aaaa_list_ = R"({"status":{"code":"10","message":"No records"}})";
    FixtureServer server_{FixtureServer::Tls::trusted};
};

}  // namespace velmora::testing
