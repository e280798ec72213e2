#pragma once

#include "api/api_context.h"

namespace velmora {

// Names record page i after the account's i-th domain (its punycode form), for at most
// the six pages; pages beyond the reply's domains keep their captions. Code "10003"
// shows "ID错误" and changes no caption.
//
struct DomainLookup {
    // What the login shows when the lookup was refused or failed (see
    // login_refusal_text); the empty text when it succeeded or showed "ID错误". The
    // login shows it when no page load will report the outcome.
    Text refusal;
    // Whether any reply came (a refusal is one); false when the engine failed: no
    // network, no route, a time-out, a refused connection.
    bool answered = true;
};
DomainLookup lookup_domains(const ApiContext& context);

}  // namespace velmora
