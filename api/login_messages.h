// The provider codes a login can meet and the message each shows.
#pragma once

#include <span>

#include "base/types.h"

namespace velmora {

struct LoginMessage {
    Text code;
    Text message;  // shown exactly, leading and trailing spaces included
};

inline constexpr char kLoginSucceededCode[] = "1";

// In lookup order; the first row whose code equals the reply code wins. The last row
// is the success code "1".
std::span<const LoginMessage> login_messages();

// The row for `code`, or nullptr when no row has it (the empty code included).
const LoginMessage* find_login_message(const Text& code);

}  // namespace velmora
