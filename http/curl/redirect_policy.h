// Which responses the libcurl transfer follows to another URL, and how the next request
// differs; WinHttp applies its own policy, which this one matches.
//
// Followed: 301, 302, 303, 307 and 308 with a non-empty Location that resolves to an
// http or https URL, at most `max_redirect_hops` times per exchange. Never from https to
// http: the redirect response itself is then the result, so nothing meant for a secure
// server goes out in clear text. Every other response is the result as it stands.
#pragma once

#include <optional>
#include <string>

#include "http/transfer.h"

namespace velmora {

struct RedirectHop {
    std::string url;           // absolute, resolved against the URL of the request
    bool becomes_get = false;  // 301/302/303 after a POST: GET without a body
};

// The next request after `response_head` (status line and header lines, CRLF-separated)
// answered a `verb` request to `url`; nothing when that response is the result.
// `url` must be escaped (escape_url); the Location value is escaped here.
std::optional<RedirectHop> next_redirect_hop(const std::string& url, const std::string& verb,
                                             const std::string& response_head);

// Whether two absolute URLs share scheme, host and port.
bool same_origin(const std::string& a, const std::string& b);

}  // namespace velmora
