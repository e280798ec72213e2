#pragma once

#include "api/api_context.h"

namespace velmora {

// Names record page i after the account's i-th domain (its punycode form), for at most
// the six pages; pages beyond the reply's domains keep their captions. Code "10003"
// shows "ID错误" and changes no caption.
void lookup_domains(const ApiContext& context);

}  // namespace velmora
