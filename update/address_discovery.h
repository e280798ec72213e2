#pragma once

#include "base/endpoints.h"
#include "base/types.h"

namespace velmora {

// The text to the right of the last occurrence of `separator`; the empty text when it
// does not occur.
Text text_after_last(const Text& text, const Text& separator);

// Asks the HTTP-DNS endpoint to echo the address the request came from, and returns
// what follows the last "|" of its reply, exactly as written (no trimming, no check).
// The empty text when the reply has no "|", a failed request included.
Text discover_public_address(const Endpoints& endpoints);

}  // namespace velmora
