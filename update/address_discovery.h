#pragma once

#include "base/endpoints.h"
#include "base/types.h"

namespace velmora {

// The text to the right of the last occurrence of `separator`; the empty text when it
// does not occur.
Text text_after_last(const Text& text, const Text& separator);

// Asks the HTTP-DNS endpoint at `address` (host[:port]; an IPv6 literal in brackets) to
// resolve `name` and echo the address the request came from, and returns what follows
// the last "|" of its reply, exactly as written (no trimming, no check); the empty text
// when the reply has no "|", a failed request included. `status` gets the request's
// status text (the engine's numbered message when it failed).
Text echoed_client_address(const Text& address, const Text& name, Text* status = nullptr);

// The echo of the IPv4 endpoint (endpoints.httpdns_address).
Text discover_public_address(const Endpoints& endpoints);

// The address the update loop may write, or why there is none.
struct PublicAddress {
    Text address;  // a plain public IPv4 address; empty when there is none
    Text failure;  // why there is none, for the log; empty when there is one
};

// discover_public_address, checked: only a plain public IPv4 address is taken. The
// failure says what went wrong: the engine's numbered message, no address in the
// reply, an answer that is not an IPv4 address, or one that cannot be public.
PublicAddress discover_usable_address(const Endpoints& endpoints);

}  // namespace velmora
