// The request engine: one complete HTTP or HTTPS exchange per call, over its own
// connection, with no state kept between calls.
//
// Failures are reported as numbered messages in `status_text` ("711 发送请求失败!" ...)
// with the empty text as result; nothing throws. Out-parameters are pointers that may be
// null when the caller does not want the value; they are written only where a step
// produces them. TLS certificates and host names are always verified (see
// tls_settings.h).
#pragma once

#include "base/types.h"

namespace velmora {

// `method`: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT, any
// other value GET. `timeout_seconds` of 0 or less means 30 seconds per phase.
// `received_cookies` is appended to; after a merge it and `send_cookies` hold the same
// merged text. The result is the body up to its first zero byte, re-decoded into GBK
// when the page declares another charset; `response_bytes` gets the raw body.
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

// The smaller variant used for address discovery: methods 0 to 3 only (others GET), the
// default lines always considered (Content-Type for every method), no name
// normalisation, no keep-alive rule, the simple cookie forms, and every case variant of
// "Set-Cookie" in `response_headers` rewritten as "Set-Cookie". Whether `send_cookies`
// is passed at all (non-null) decides whether cookies are merged.
Text http_request_simple(const Text& url, int method = 0, const Text& body = {},
                         Text* send_cookies = nullptr, Text* received_cookies = nullptr,
                         const Text& extra_headers = {}, Text* response_headers = nullptr,
                         bool no_redirect = false, const Text& user = {}, const Text& password = {},
                         const Text& proxy = {}, const Text& proxy_user = {},
                         const Text& proxy_password = {}, int timeout_seconds = 0,
                         Text* redirect_location = nullptr, Text* status_text = nullptr,
                         Bytes* response_bytes = nullptr, bool merge_cookies = true);

}  // namespace velmora
