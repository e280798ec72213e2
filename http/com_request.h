// The second request path: an exchange driven through the "WinHttp.WinHttpRequest.5.1"
// automation object, with its own default lines and a 15-second default time-out.
#pragma once

#include <optional>

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
// and merged only when `cookies` is present.
struct ComRequest {
    Text url{};
    int method = 0;
    Text body{};
    std::optional<Text> cookies{};
    Text received_cookies{};  // collected earlier; this exchange's are appended
    Text extra_headers{};
    bool no_redirect = false;
    Bytes body_bytes{};  // sent instead of `body` when not empty
    Text proxy{};
    int timeout_seconds = 0;
    Text auth_user{};
    Text auth_password{};
    int auth_target = 1;
    ComObject request_object{};
    bool merge_cookies = true;
    bool add_default_headers = true;
    bool normalize_header_names = true;
};

// Failures of the object are not examined and give whatever it holds (normally nothing).
struct ComOutcome {
    bool made = false;  // false when no object could be made: nothing else is set
    Bytes body{};
    Text headers{};
    int status = 0;
    Text received_cookies{};
    // The cookie text as sent (without any "Cookie:"), merged with the received ones.
    std::optional<Text> cookies{};
};

ComOutcome com_request(const ComRequest& request);

// The positional form: out-parameters may be null; the result is the response body.
Bytes com_request(const Text& url, int method = 0, const Text& body = {},
                  Text* send_cookies = nullptr, Text* received_cookies = nullptr,
                  const Text& extra_headers = {}, Text* response_headers = nullptr,
                  int* status_code = nullptr, bool no_redirect = false,
                  const Bytes& body_bytes = {}, const Text& proxy = {}, int timeout_seconds = 0,
                  const Text& auth_user = {}, const Text& auth_password = {}, int auth_target = 1,
                  const ComObject& request_object = {}, bool merge_cookies = true,
                  bool add_default_headers = true, bool normalize_header_names = true);

}  // namespace velmora
