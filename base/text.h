// Text operations on GBK byte strings.
//
// Positions are 1-based byte positions and a failed search gives -1. The scanning
// operations walk a text character by character: a byte of 0x80 or above is taken
// together with the byte after it, so a match never begins on a trail byte, and a lead
// byte that is the last byte of the text ends the walk. The cutting operations
// (text_left, text_right, text_middle) count raw bytes; cut only at positions a search
// returned.
//
// Part of the runtime's stated interface: each operation stays even where no caller
// uses it yet.
#pragma once

#include <optional>
#include <string_view>
#include <type_traits>

#include "base/types.h"

namespace velmora {

int text_length(std::string_view text);

// The first occurrence of needle at or after byte `start` (1 or less: from the first
// byte). The skip to `start` counts raw bytes. An empty needle gives 1 when anything is
// left to search, else -1. ignore_case folds only the ASCII letters.
int find_text(std::string_view text, std::string_view needle, int start = 0,
              bool ignore_case = false);

// The last occurrence lying wholly inside the first start - 1 bytes (the whole text when
// no start is given; nothing when start is 1 or less).
int find_last_text(std::string_view text, std::string_view needle,
                   std::optional<int> start = std::nullopt, bool ignore_case = false);

Text text_left(std::string_view text, int n);
Text text_right(std::string_view text, int n);
// Up to n bytes from the 1-based `start`; empty when start lies outside the text.
Text text_middle(std::string_view text, int start, int n);

// Replaces the occurrences of old_part found from byte `start` on. A negative count
// replaces every occurrence; a count of 0 replaces none.
Text replace_text(std::string_view text, std::string_view old_part, std::string_view new_part = {},
                  int start = 1, int count = -1, bool case_sensitive = true);

// A space is the byte 0x20 or the full-width space A1 A1; tabs and line breaks are not.
Text trim_spaces(std::string_view text);
Text remove_spaces(std::string_view text);

// a-z to A-Z; double-byte characters stay as they are.
Text to_upper(std::string_view text);

// The empty piece between two separators is kept, an empty tail is not. A negative
// max_pieces takes every piece; once max_pieces are taken the rest is dropped.
TextList split_text(std::string_view text, std::string_view separator = ",", int max_pieces = -1);

// Character-wise: double-byte characters compare as units, bytes as unsigned values.
// Gives -1, 0 or 1.
int compare_text(std::string_view a, std::string_view b, bool case_sensitive);

// The byte at `position` as a signed value (-128..127); 0 outside the text.
int char_code(std::string_view text, int position = 1);

// A one-byte text of the low byte of `code`, so char_text(char_code(t, i)) gives that
// byte back; a low byte of 0 gives the empty text, since a text never holds a zero.
Text char_text(int code);

template <typename... Parts>
    requires(sizeof...(Parts) >= 2 &&
             (std::is_convertible_v<const Parts&, std::string_view> && ...))
Text join_text(const Parts&... parts) {
    Text joined;
    joined.reserve((std::string_view(parts).size() + ...));
    (joined.append(std::string_view(parts)), ...);
    return joined;
}

}  // namespace velmora
