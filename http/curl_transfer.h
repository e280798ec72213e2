// Internal: one HTTP/1.1 exchange over a fresh libcurl handle, shared by the request
// engine and the request automation object so both put the same bytes on the wire.
//
// Each setter is one configuration step and reports whether libcurl accepted it, so a
// caller can bind its own failure message to each step. Nothing survives the object.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "base/types.h"

namespace velmora {

// Initialises libcurl once per process; false when it is unusable or lacks HTTP(S).
bool curl_ready();

// Inactivity limits per phase. Zero means no limit of our own for that phase.
struct PhaseTimeouts {
    std::chrono::milliseconds connect{0};  // name resolution, connection, TLS handshake
    std::chrono::milliseconds send{0};     // no upload progress while sending
    std::chrono::milliseconds receive{0};  // no bytes while waiting for or reading a reply
};

enum class TransferOutcome {
    complete,
    send_failed,  // failed before the request was sent completely
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

class CurlTransfer {
  public:
    CurlTransfer();
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // False when no handle could be created; every other call then fails.
    bool valid() const { return handle_ != nullptr; }

    // Absolute http(s) URL; bytes a URL may not carry are percent-encoded first.
    bool set_url(const std::string& url);
    bool set_timeouts(const PhaseTimeouts& timeouts);
    // "host:port" of an HTTP proxy; empty for a direct connection. Proxies from the
    // environment are never used.
    bool set_proxy(const std::string& host_port);
    bool set_verb(const std::string& verb);
    bool set_server_credentials(const std::string& user, const std::string& password);
    bool set_proxy_credentials(const std::string& user, const std::string& password);
    bool set_tls_verification();
    // Redirects are followed here, never by libcurl, under redirect_policy.h. Once a hop
    // leaves the first URL's origin, server credentials and the caller's Authorization
    // and Cookie lines stay behind.
    bool set_follow_redirects(bool follow);
    // "Name: value" lines, sent in this order and nothing else beyond what HTTP needs
    // (Host, Content-Length, credentials). False for a line without a colon. A
    // Proxy-Authorization line goes to the proxy alone (never to the server, and not
    // at all without a proxy), in place of the one proxy credentials would make.
    bool set_header_lines(const std::vector<std::string>& lines);
    // The body goes out whenever it is non-empty, and always for POST and PUT.
    bool set_body(Bytes body);

    TransferResult perform();

  private:
    struct Progress;
    TransferResult perform_once();
    bool start_hop(const std::string& url, bool becomes_get);
    bool apply_header_lines(bool drop_origin_lines);
    static std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user);
    static int on_progress(void* user, curl_off_t download_total, curl_off_t download_now,
                           curl_off_t upload_total, curl_off_t upload_now);

    CURL* handle_ = nullptr;
    std::vector<std::string> header_lines_;  // as libcurl takes them
    curl_slist* headers_ = nullptr;
    curl_slist* proxy_headers_ = nullptr;
    std::string first_url_;
    std::string url_;
    std::string verb_ = "GET";
    Bytes body_;
    bool follow_redirects_ = true;
    PhaseTimeouts timeouts_;
};

}  // namespace velmora
