// The request engine: one complete HTTP or HTTPS exchange per call.
//
// Failures are reported as numbered messages in the outcome's `status` ("711 发送请求失败!"
// ...) with the empty text as result; nothing throws. TLS certificates and host names are
// always verified (see tls_settings.h). Exchanges made while a ConnectionPool (see
// connection_pool.h) is open on the calling thread reuse its connections.
#pragma once

#include <optional>

#include "base/types.h"

namespace velmora {

// One request. `method`: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE,
// 7 CONNECT, any other value GET. `timeout_seconds` of 0 or less means 30 seconds per
// phase.
struct HttpRequest {
    Text url{};
    int method = 0;
    Text body{};
    // The cookie text sent; absent when the caller sends none.
    std::optional<Text> cookies{};
    // Cookies collected earlier; the exchange's own are appended to them.
    Text received_cookies{};
    Text extra_headers{};
    bool no_redirect = false;
    Text user{};
    Text password{};
    Text proxy{};
    Text proxy_user{};
    Text proxy_password{};
    int timeout_seconds = 0;
    bool merge_cookies = true;
    // Read by the full engine alone: the simple one always adds its default lines, never
    // normalises names and sends `body`.
    bool add_default_headers = true;
    Bytes body_bytes{};  // sent instead of `body` when not empty
    bool normalize_header_names = true;
};

struct HttpOutcome {
    // The body up to its first zero byte, re-decoded into GBK when the page declares
    // another charset.
    Text text{};
    // The status line after the protocol version ("200 OK"), or the numbered failure.
    Text status{};
    bool responded = false;  // a response was read; the fields below hold it
    Text headers{};
    std::optional<Text> location{};  // the value of a Location line, when there is one
    // The request's received cookies with this response's appended; after a merge, it
    // and `cookies` hold the same merged text.
    Text received_cookies{};
    std::optional<Text> cookies{};
    Bytes bytes{};  // the raw body
};

HttpOutcome http_request(const HttpRequest& request);

// The smaller variant used for address discovery: methods 0 to 3 only (others GET), the
// default lines always considered (Content-Type for every method), no name
// normalisation, no keep-alive rule, the simple cookie forms, and every case variant of
// "Set-Cookie" in the headers rewritten as "Set-Cookie". Whether cookies are sent at all
// decides whether they are merged.
HttpOutcome http_request_simple(const HttpRequest& request);

// The positional forms of the two: out-parameters are pointers that may be null when the
// caller does not want the value, written only where a step produces them;
// `received_cookies` is appended to.
Text http_request(const Text& url, int method = 0, const Text& body = {},
                  Text* send_cookies = nullptr, Text* received_cookies = nullptr,
                  const Text& extra_headers = {}, Text* response_headers = nullptr,
                  bool no_redirect = false, const Text& user = {}, const Text& password = {},
                  const Text& proxy = {}, const Text& proxy_user = {},
                  const Text& proxy_password = {}, int timeout_seconds = 0,
                  Text* redirect_location = nullptr, Text* status_text = nullptr,
                  Bytes* response_bytes = nullptr, bool merge_cookies = true,
                  bool add_default_headers = true, const Bytes& body_bytes = {},
                  bool normalize_header_names = true);

Text http_request_simple(const Text& url, int method = 0, const Text& body = {},
                         Text* send_cookies = nullptr, Text* received_cookies = nullptr,
                         const Text& extra_headers = {}, Text* response_headers = nullptr,
                         bool no_redirect = false, const Text& user = {}, const Text& password = {},
                         const Text& proxy = {}, const Text& proxy_user = {},
                         const Text& proxy_password = {}, int timeout_seconds = 0,
                         Text* redirect_location = nullptr, Text* status_text = nullptr,
                         Bytes* response_bytes = nullptr, bool merge_cookies = true);

}  // namespace velmora
