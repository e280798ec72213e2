// The one way the provider calls reach the network, and the reading of a reply.
#pragma once

#include "api/api_context.h"
#include "base/types.h"

namespace velmora {

// "https://" + API host + "/" + action, e.g. action "Domain.List".
Text api_url(const Endpoints& endpoints, const Text& action);

// POSTs the form body to the action and returns whatever text the request gave: a
// transport failure is not told apart from a reply, it simply carries no markers.
Text api_post(const Endpoints& endpoints, const Text& action, const Text& body);

// The status code of a reply, e.g. "1"; the empty text when the reply has none.
Text reply_code(const Text& reply);

}  // namespace velmora
