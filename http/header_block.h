// The request header block: one GBK text of "Name: value" lines joined by CRLF, built
// from the caller's lines, the default lines and the cookie text.
#pragma once

#include "base/types.h"

namespace velmora {

// Drops every line without a colon and capitalises the first letter of each
// dash-separated word of each name ("content-type: x" becomes "Content-Type: x"; the rest
// of a name is left as it is). The lines are joined by CRLF with none after the last.
Text normalized_header_block(const Text& block);

// The block of the full engine: caller lines, defaults (unless switched off), optional
// normalisation, removal of a "Connection: keep-alive" line followed by CRLF, and the
// cookie line. `post` decides whether the form Content-Type default applies.
Text build_header_block(const Text& extra_headers, const Text& send_cookies, bool post,
                        bool add_default_headers, bool normalize_names);

// The block of the simple engine: always the defaults (Content-Type for every method,
// its probe letter-case significant), no normalisation, no keep-alive rule, and the
// cookie line appended without a leading CRLF.
Text build_simple_header_block(const Text& extra_headers, const Text& send_cookies);

// The non-empty lines of a block, in order.
TextList header_block_lines(const Text& block);

// In a block of CRLF-separated lines (request or response), the value of the last line
// whose name equals `name` with letter case ignored, without surrounding blanks; empty
// when no line has that name. Only whole names count: "X-Last-Date:" is not "Date:".
Text header_value(const Text& block, const Text& name);

}  // namespace velmora
