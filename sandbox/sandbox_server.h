// velmora-sandbox: a substitute for the provider's services on loopback, for tests and
// the demo. One SandboxServer runs four servers bound to 127.0.0.1, and the HTTP-DNS
// endpoint once more on [::1]:
//
//   API (HTTPS)        POST /Domain.List, /Record.List, /Record.Modify
//   HTTP-DNS (HTTP)    GET /d?dn=NAME&clientip=1 -> "addr;addr|client-address"
//                      (on 127.0.0.1 and on [::1], each reporting its own client address)
//   time site (HTTP)   HEAD or GET of any path -> a Date: header
//   control (HTTP)     /control/... (see sandbox/README.md)
//
// Typical use in a test:
//
//   velmora::sandbox::SandboxServer sandbox;          // demo seed, ephemeral ports
//   ASSERT_TRUE(sandbox.start());
//   endpoints.api_host = sandbox.api_host();           // "127.0.0.1:PORT"
//   endpoints.extra_ca_file = sandbox.ca_file();
//   ...
//   sandbox.records(1001);                             // what the provider now holds
//
// Every member may be called from any thread while the servers run.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sandbox/provider_store.h"
#include "sandbox/seed.h"

namespace httplib {
class Server;
}

namespace velmora::sandbox {

class TlsIdentity;

struct SandboxOptions {
    // 0: an ephemeral port chosen by the system.
    int api_port = 0;
    int dns_port = 0;
    int dns6_port = 0;  // the HTTP-DNS endpoint on [::1]
    int time_port = 0;
    int control_port = 0;
    // Where the CA certificate (PEM) is written. Empty: a temporary file, removed by
    // stop(). A given path is left in place.
    std::string ca_file;
    // Host names the server certificate carries besides localhost and 127.0.0.1.
    std::vector<std::string> extra_dns_names;
    SeedData seed = demo_seed();
    // Worker threads per server.
    int threads = 8;
    // Requests the API server answers on one connection before it closes it, as a
    // production web server allows (the server library's own limit is 5).
    int api_requests_per_connection = 1000;
};

// What reached the API server over the wire since the start or the last reset.
struct ApiConnections {
    std::uint64_t connections = 0;  // connections that carried at least one request
    std::uint64_t handshakes = 0;   // TLS handshakes completed, resumed ones included
    std::uint64_t resumed = 0;      // of those, the ones that resumed an earlier session
};

// One API request as it reached the sandbox.
struct ApiRequest {
    std::string action;  // "Domain.List", ...
    std::string body;    // the raw body bytes, before any decoding
    std::string content_type;
};

// Requests per action: "Domain.List", "Record.List", "Record.Modify", "httpdns" (the
// HTTP-DNS endpoint on 127.0.0.1), "httpdns6" (on [::1]), "time".
using Counters = std::map<std::string, std::uint64_t>;

class SandboxServer {
  public:
    explicit SandboxServer(SandboxOptions options = {});
    ~SandboxServer();  // stops
    SandboxServer(const SandboxServer&) = delete;
    SandboxServer& operator=(const SandboxServer&) = delete;

    // Generates the certificates, writes the CA file, binds and starts the servers.
    // False (with a reason in `error`) when the seed is invalid or a port or the CA
    // file cannot be had; nothing is left running then. On a machine without an IPv6
    // loopback the endpoint on [::1] is left out (dns6_port() is 0) unless a fixed
    // dns6_port was asked for, which then fails the start.
    bool start(std::string* error = nullptr);
    // Stops the servers and waits for their threads. Safe to call twice.
    void stop();

    // Valid after a successful start().
    int api_port() const { return api_port_; }
    int dns_port() const { return dns_port_; }
    int dns6_port() const { return dns6_port_; }  // 0: no IPv6 loopback here
    int time_port() const { return time_port_; }
    int control_port() const { return control_port_; }
    const std::string& ca_file() const { return ca_file_; }
    std::string api_host() const;      // "127.0.0.1:PORT", for https://HOST/Domain.List
    std::string dns_address() const;   // "127.0.0.1:PORT", for http://ADDRESS/d?dn=...
    std::string dns6_address() const;  // "[::1]:PORT"; empty without an IPv6 loopback
    std::string time_url() const;      // "http://127.0.0.1:PORT/"

    // The client address the HTTP-DNS endpoint on 127.0.0.1 reports; empty: the
    // caller's own address.
    void set_public_address(const std::string& address);
    std::string public_address() const;
    // The same for the endpoint on [::1] (the caller's own address is then "::1").
    void set_public_address6(const std::string& address);
    std::string public_address6() const;
    // Replaces the whole reply body of the HTTP-DNS endpoint on 127.0.0.1 (to simulate
    // odd or failed answers); nullopt goes back to the normal reply.
    void set_dns_reply(std::optional<std::string> body);
    // The same for the endpoint on [::1].
    void set_dns6_reply(std::optional<std::string> body);
    // The Date header value the time site sends; empty: the current time.
    void set_date_header(const std::string& value);

    // Makes an account answer `code` (see ForcedReply); an empty code removes it.
    void set_forced_reply(const ForcedReply& forced) { store_->set_forced_reply(forced); }
    void clear_forced_replies() { store_->clear_forced_replies(); }
    // Record.List lists every type whatever record_type asks for, as a careless
    // provider might.
    void set_record_type_ignored(bool ignored) { store_->set_record_type_ignored(ignored); }

    // The stored records of any domain; nullopt for an unknown domain id.
    std::optional<std::vector<Record>> records(std::uint64_t domain_id) const {
        return store_->records(domain_id);
    }
    // Changes a stored value directly, as an edit at the provider's console would.
    bool set_record_value(std::uint64_t record_id, const std::string& value) {
        return store_->set_record_value(record_id, value);
    }
    ProviderStore& store() { return *store_; }

    Counters counters() const;
    // The API requests received since the start or the last reset, oldest first (the
    // most recent 10000 are kept).
    std::vector<ApiRequest> api_requests() const;
    ApiConnections api_connections() const;
    // Zeroes the counters and the connection counts and forgets the API requests.
    void reset_counters();

    // What GET /control/state answers (JSON).
    std::string state_json() const;

  private:
    struct Servers;
    // Made at the first start and kept, so that a server started again (a provider back
    // after an outage) is trusted by clients that read its CA before.
    std::unique_ptr<TlsIdentity> identity_;

    // What one HTTP-DNS endpoint reports; each listener has its own.
    struct DnsAnswer {
        std::string public_address;        // empty: the caller's own address
        std::optional<std::string> reply;  // the whole body instead of the normal reply
    };

    void count(const std::string& action);
    void count_connection(const std::string& remote_address, int remote_port);
    void count_handshake(bool resumed);
    void record_request(ApiRequest request);
    void serve_dns(httplib::Server& server, const std::string& counter, DnsAnswer& answer);
    std::string dns_reply(const DnsAnswer& answer, const std::string& name, bool with_client,
                          const std::string& caller);
    std::string date_header() const;
    bool write_ca_file(const std::string& pem, std::string* error);
    void install_routes();

    SandboxOptions options_;
    std::string seed_error_;
    std::unique_ptr<ProviderStore> store_;
    std::unique_ptr<Servers> servers_;
    int api_port_ = 0;
    int dns_port_ = 0;
    int dns6_port_ = 0;
    int time_port_ = 0;
    int control_port_ = 0;
    std::string ca_file_;
    bool ca_file_is_temporary_ = false;

    mutable std::mutex mutex_;  // guards the members below
    DnsAnswer dns4_;
    DnsAnswer dns6_;
    std::string date_header_;
    Counters counters_;
    ApiConnections connections_;
    std::set<std::pair<std::string, int>> seen_connections_;  // remote address and port
    std::vector<ApiRequest> requests_;
};

}  // namespace velmora::sandbox
