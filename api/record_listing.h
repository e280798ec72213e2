#pragma once

#include "api/api_context.h"

namespace velmora {

// Lists the first 20 A records of the page's domain (the account's page-th domain) into
// the page's list: one row appended per name after row 0, the domain row, whose column
// 0 gets the domain id when the reply gives it in digits; then the first 20 AAAA
// records, from a second list, as rows after them. A reply whose lists do not
// pair up (see record_list_reply.h) leaves the list untouched. The login flow empties
// the lists first.
//
// Loading page 1 is the login proper: its reply code shows the matching login message
// and only code "1" fills the list; "登入成功" is shown unless `announce_success` is
// false (a login the program makes by itself at start). A failure without a message of
// its own says why (see login_refusal_text). Pages 2 to 6 ignore the code.
//
// Returns true when page 1 logged in successfully, the moment the caller starts the
// update loop; false otherwise and always for pages 2 to 6.
bool load_record_page(const ApiContext& context, int page, bool announce_success = true);

}  // namespace velmora
