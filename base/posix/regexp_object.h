// The regular-expression automation class, over PCRE2 working on UTF-16 text. Members:
// properties Pattern, IgnoreCase, Global, Multiline (all false or empty at first); methods
// Execute(subject) → a match collection (Count, Item(i)) whose matches have Value,
// FirstIndex, Length and SubMatches (Count, Item(j); an unmatched group is empty),
// Test(subject) → boolean, Replace(subject, replacement) → string.
//
// The dialect is the one scripts expect: "." and "$" do not cross a line end (CR, LF or
// CRLF), "$" without Multiline matches only at the very end, \w and \d are ASCII, "\uhhhh"
// names a character, an unset group's back-reference matches the empty text. Positions
// and lengths count UTF-16 units. Replacement texts know $1…$99, $&, $`, $' and $$.
// A pattern that does not compile makes Execute, Test and Replace fail.
#pragma once

#include "base/automation/automation.h"

namespace velmora {

inline constexpr const char* regexp_prog_id = "VBScript.RegExp";
inline constexpr const char* regexp_class_id = "{aec77ebd-794f-4f12-a27b-c5bd2397c074}";

ComObject make_regexp_object();

}  // namespace velmora
