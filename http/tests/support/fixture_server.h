// A test HTTP server on 127.0.0.1 with an ephemeral port, plain or over TLS, that answers
// with exactly the bytes a route gives: tests can check the raw request that arrived and
// shape replies that well-behaved servers never send (cut bodies, silence).
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "http/tests/support/loopback_socket.h"

namespace velmora::testing {

struct RawRequest {
    std::string head;  // request line, header lines and the empty line, as received
    std::string body;  // Content-Length bytes after the head
    std::string method;
    std::string target;  // as on the request line
    std::string path;    // the target without its query
    std::string raw() const { return head + body; }
};

struct FixtureReply {
    std::string bytes;          // written as they stand, then the connection is closed
    bool never_answer = false;  // hold the connection open without a byte until the end
    bool keep_open = false;     // after the bytes, hold the connection open until the end
    // When set, the bytes go out one at a time with this pause before each.
    std::chrono::milliseconds byte_interval{0};
};

using FixtureRoute = std::function<FixtureReply(const RawRequest&)>;

// A complete response with Content-Length and "Connection: close". `headers` are whole
// lines without CRLF.
std::string http_reply(int status, const std::string& reason, const std::string& body,
                       const std::vector<std::string>& headers = {});

class FixtureServer {
  public:
    enum class Tls { off, trusted, untrusted };

    // Unrouted paths echo the raw request as a text/plain body.
    explicit FixtureServer(Tls tls = Tls::off);
    ~FixtureServer();
    FixtureServer(const FixtureServer&) = delete;
    FixtureServer& operator=(const FixtureServer&) = delete;

    int port() const { return acceptor_.port(); }
    // "http://127.0.0.1:PORT" + path (https for a TLS server).
    std::string url(const std::string& path = "/") const;

    // Answers requests whose path (query removed) equals `path`.
    void route(const std::string& path, FixtureRoute handler);

    std::vector<RawRequest> requests() const;

  private:
    struct TlsContext;
    static std::unique_ptr<TlsContext> make_tls(Tls tls);
    void serve(int socket);
    FixtureReply answer(const RawRequest& request) const;

    std::unique_ptr<TlsContext> tls_;
    mutable std::mutex mutex_;
    std::map<std::string, FixtureRoute> routes_;
    std::vector<RawRequest> requests_;
    // Last, so its threads stop before the routes and records they use go away.
    LoopbackAcceptor acceptor_;
};

}  // namespace velmora::testing
