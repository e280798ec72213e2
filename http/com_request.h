// The second request path: an exchange driven through the "WinHttp.WinHttpRequest.5.1"
// automation object, with its own default lines and a 15-second default time-out.
#pragma once

#include "base/automation/automation.h"
#include "base/types.h"

namespace velmora {

// `method` as for http_request (0..7, others GET). `timeout_seconds`: -1 keeps the
// object's own time-outs, 1 or more that many seconds, anything else 15 seconds. That
// time-out also bounds the whole exchange (60 seconds with the object's own), and
// request_shutdown() ends it at once; an exchange cut short gives what a failed one gives.
// Credentials are used only together with a proxy; `auth_target` 1 means proxy
// credentials (then also sent preemptively as Proxy-Authorization), 0 server ones.
// `request_object`, when given, is reused instead of a new object. Cookies are sent
// and merged only when `send_cookies` is passed. Returns the response body; failures
// of the object are not examined and give whatever it holds (normally nothing).
Bytes com_request(const Text& url, int method = 0, const Text& body = {},
                  Text* send_cookies = nullptr, Text* received_cookies = nullptr,
                  const Text& extra_headers = {}, Text* response_headers = nullptr,
                  int* status_code = nullptr, bool no_redirect = false,
                  const Bytes& body_bytes = {}, const Text& proxy = {}, int timeout_seconds = 0,
                  const Text& auth_user = {}, const Text& auth_password = {}, int auth_target = 1,
                  const ComObject& request_object = {}, bool merge_cookies = true,
                  bool add_default_headers = true, bool normalize_header_names = true);

}  // namespace velmora
