// Cookies travel as one plain text of name=value pieces separated by "; ", never as a
// structured jar, so a caller can hand what one request produced straight to the next.
#pragma once

#include "base/types.h"

namespace velmora {

// --- Full engine (http_request, com_request) ---

// When `line` is a "Set-Cookie" header (name compared exactly), appends its first
// attribute (the name=value pair) and "; " to `received_cookies`.
void collect_set_cookie(const Text& line, Text& received_cookies);

// Drops the "; " left after the last collected piece, if there is one.
void finish_received_cookies(Text& received_cookies);

// Merges what the caller sent with what the server set: the server's pieces come first
// and replace sent pieces of the same name, "=deleted" pieces vanish, exact duplicates
// are dropped. Both variables are normalised in place; the merged text is written to
// `send_cookies` and returned (the engine stores it in `received_cookies` as well).
Text merge_cookies(Text& send_cookies, Text& received_cookies);

// --- Simple engine (http_request_simple) ---

// Any line containing "Set-Cookie" (the engine has already rewritten every case
// variant to this form) counts as a Set-Cookie header.
void collect_set_cookie_simple(const Text& line, Text& received_cookies);

// Always drops the last two bytes (the empty text stays empty).
void finish_received_cookies_simple(Text& received_cookies);

// As merge_cookies, but every blank is removed from both texts first and they are
// split at ";" rather than "; ".
Text merge_cookies_simple(Text& send_cookies, Text& received_cookies);

}  // namespace velmora
