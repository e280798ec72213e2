// Internal: one HTTP/1.1 exchange, shared by the request engine and the request
// automation object so both put the same bytes on the wire. Each platform's backend
// folder (http/curl/, http/winhttp/) defines it over its own HTTP service.
//
// Each setter is one configuration step and reports whether the service accepted it, so
// a caller can bind its own failure message to each step. Nothing survives the object but
// an idle connection kept by an open ConnectionPool (http/connection_pool.h).
// The steps are taken in one of two orders: proxy, timeouts, URL, verb (the engine), or
// proxy, URL, verb, timeouts (its simple variant); the rest follow in declaration order.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/types.h"

namespace velmora {

// Loads the platform's HTTP service once per process; false when it is unusable or
// lacks HTTP(S).
bool transfer_ready();

// Whether a ConnectionPool is open on the calling thread.
bool connections_pooled();
// Closes the calling thread's kept connections; the backend defines it, the outermost
// ConnectionPool calls it as it ends.
void close_pooled_connections();

// Inactivity limits per phase, and a limit on the whole exchange (every redirect hop
// included) that holds however slowly a server trickles. Zero means no limit of our own.
struct PhaseTimeouts {
    std::chrono::milliseconds connect{0};  // name resolution, connection, TLS handshake
    std::chrono::milliseconds send{0};     // no upload progress while sending
    std::chrono::milliseconds receive{0};  // no bytes while waiting for or reading a reply
    std::chrono::milliseconds total{0};    // from perform() to its end
};

enum class TransferOutcome {
    complete,
    send_failed,  // failed (or was cut short) before the request was sent completely
    no_response,  // sent, but no complete response header block came back
    read_failed,  // headers arrived, reading the body failed (or hit the size limit)
};

struct TransferResult {
    // Of the last request when redirects were followed: a hop that cannot be sent is a
    // send failure, one more redirect than allowed counts as no response.
    TransferOutcome outcome = TransferOutcome::send_failed;
    // Raw header block of the final response: status line, header lines and the empty
    // line, each ending in CRLF. Interim and followed-redirect responses are not kept.
    std::string header_block;
    Bytes body;  // as much of the final response body as was read
    bool headers_complete = false;
};

// Bodies beyond this are not read: a hostile server must not exhaust memory.
inline constexpr std::size_t max_response_body = 64u * 1024u * 1024u;

class Transfer {
  public:
    Transfer();
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // False when the service gave no handle to start from; every other call then fails.
    bool valid() const;

    // "host:port" of an HTTP proxy; empty for a direct connection. Proxies from the
    // environment are never used.
    bool set_proxy(const std::string& host_port);
    bool set_timeouts(const PhaseTimeouts& timeouts);
    // Absolute http(s) URL; bytes a URL may not carry are percent-encoded first.
    bool set_url(const std::string& url);
    bool set_verb(const std::string& verb);
    bool set_server_credentials(const std::string& user, const std::string& password);
    bool set_proxy_credentials(const std::string& user, const std::string& password);
    // Certificates and host names are verified; this never weakens the check.
    bool set_tls_verification();
    // Redirects are followed hop by hop under http/redirect_policy.h; when they are off, or
    // not followed, the redirect response is the result.
    bool set_follow_redirects(bool follow);
    // "Name: value" lines, sent in this order and nothing else beyond what HTTP needs
    // (Host, Content-Length, credentials). False for a line without a colon. A
    // Proxy-Authorization line goes to the proxy alone (never to the server, and not
    // at all without a proxy), in place of the one proxy credentials would make.
    bool set_header_lines(const std::vector<std::string>& lines);
    // The body goes out whenever it is non-empty, and always for POST and PUT.
    bool set_body(Bytes body);

    // Handles the calling thread's pending events while the exchange runs (the body is
    // read in chunks). The exchange ends within the total limit however the server
    // behaves, and at once when request_shutdown() or cancel() is called from any thread;
    // the outcome of an exchange cut short says how far it got. Every handle of the
    // platform's HTTP service is opened, used and closed by the calling thread.
    TransferResult perform();

    // Cuts perform() short from any thread, as request_shutdown() does for every
    // exchange. Before perform(), it ends as soon as it starts.
    void cancel();

  private:
    struct State;  // the backend's handles and settings
    std::unique_ptr<State> state_;
};

}  // namespace velmora
