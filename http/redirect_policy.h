// Which responses an exchange follows to another URL, and how the next request differs.
// Both transfers follow redirects themselves, hop by hop, under this one policy.
//
// Followed: 301, 302, 303, 307 and 308 with a non-empty Location that resolves to an http
// or https URL, at most `max_redirect_hops` times per exchange. The redirect response itself
// is the result instead when the hop would go from https to http (nothing meant for a
// secure server goes out in clear text), or when it would carry a request body to another
// origin than the exchange's first request (the body may carry a credential). Every other
// response is the result as it stands.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "http/transfer.h"

namespace velmora {

// Redirects followed per exchange; one more is no response.
inline constexpr int max_redirect_hops = 10;

struct RedirectHop {
    std::string url;         // absolute and escaped
    std::string verb;        // GET after a 301, 302 or 303 answered a POST; else the verb as it was
    bool keeps_body = true;  // false once the hop turned into a GET
    // Another origin than the exchange's first request: the hop carries neither the server
    // credentials nor the lines carries_origin_credentials names.
    bool leaves_origin = false;
};

class RedirectChain {
  public:
    // The exchange's first request; `url` escaped (escape_url).
    RedirectChain(std::string url, std::string verb, bool has_body);

    // The request that follows a response with this head (status line and header lines,
    // CRLF-separated) to the chain's current request, which it then becomes; nothing when
    // that response is the result.
    std::optional<RedirectHop> follow(const std::string& response_head);

    // True once follow() has given more hops than max_redirect_hops.
    bool too_many() const { return hops_ > max_redirect_hops; }

  private:
    std::string first_url_;
    RedirectHop current_;
    int hops_ = 0;
};

// One exchange hop by hop: `send` performs the current request; while `follow` is set and
// its response is a redirect to take, `start_hop` readies the hop's request and `send`
// performs that. Gives the last response; a hop that cannot be readied is a send failure,
// one hop too many no response.
TransferResult send_following_redirects(const std::string& url, const std::string& verb,
                                        bool has_body, bool follow,
                                        const std::function<TransferResult()>& send,
                                        const std::function<bool(const RedirectHop&)>& start_hop);

// `reference` (an escaped Location value) resolved against the absolute URL `base` as a
// browser resolves a link; empty when the result is no absolute URL.
std::string resolve_url(const std::string& base, const std::string& reference);

// Whether two absolute http(s) URLs share scheme, host (letter case ignored) and port.
bool same_origin(const std::string& a, const std::string& b);

// Header lines that go to the first request's origin only (Authorization, Cookie),
// by name, letter case ignored.
bool carries_origin_credentials(std::string_view header_name);

}  // namespace velmora
