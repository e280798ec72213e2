// The provider codes a login can meet and the message each shows.
#pragma once

#include <span>

#include "api/api_post.h"
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

// What a login shows for a reply that refused it: the table's message for a code that
// has one, else "登入未完成：" + why (no reply came, the reply is not the provider's, or
// a code outside the table; see failure_reason). The empty text for code "1".
Text login_refusal_text(const ApiReply& reply);

}  // namespace velmora
