// The one way the provider calls reach the network, and the reading of a reply.
#pragma once

#include "api/api_context.h"
#include "base/types.h"

namespace velmora {

// What one call gave back: the reply text and the request's status text (the server's
// status line such as "200 OK", or the engine's numbered message when it failed).
struct ApiReply {
    Text text;
    Text status;
};

// "https://" + API host + "/" + action, e.g. action "Domain.List".
Text api_url(const Endpoints& endpoints, const Text& action);

// POSTs the form body to the action.
ApiReply api_call(const Endpoints& endpoints, const Text& action, const Text& body);

// The status code of a reply, e.g. "1"; the empty text when the reply has none.
Text reply_code(const Text& reply);

// Why a call did not succeed, as a user reads it: the provider's code and message, the
// engine's numbered message when no reply came, or that the reply is not the
// provider's. The empty text when the provider answered code "1".
Text failure_reason(const ApiReply& reply);

}  // namespace velmora
