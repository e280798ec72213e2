// Splitting a request URL into what the connection and the request line need, and the
// proxy name the engine derives for it.
#pragma once

#include <optional>

#include "base/types.h"

namespace velmora {

struct RequestTarget {
    bool secure = false;  // https
    Text host;            // as written, brackets of an IPv6 literal included
    int port = 0;         // the scheme's default when the URL names none
    // "/" when the URL has no path (its query is then not sent either); otherwise the
    // path followed by the query. A fragment is never sent.
    Text target;

    // The URL the transfer is given: scheme, host, port and target.
    Text request_url() const;
};

// Bytes a URL cannot carry raw (blanks, controls, GBK bytes) percent-encoded.
Text escape_url(const Text& url);

// Nothing for a URL that is not an absolute http or https URL with a host and a valid port.
std::optional<RequestTarget> crack_url(const Text& url);

// The platform-style proxy name: empty for no proxy, the proxy itself for an HTTPS URL,
// "http=" followed by the proxy for an HTTP URL.
Text proxy_name(const Text& proxy, bool secure);

// The "host:port" a proxy name designates for a URL of the given kind: a name of the
// form "http=host:port" applies to plain HTTP only; empty means a direct connection.
Text proxy_for_url(const Text& proxy_name, bool secure);

}  // namespace velmora
