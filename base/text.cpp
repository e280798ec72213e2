#include "base/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/backend.h"

namespace velmora {

namespace {

using Size = std::string_view::size_type;

// The size of the character that begins at byte i: 1, or 2 for a lead byte. 0 when a
// lead byte is the last byte, which ends the walk as the terminating zero would.
Size char_size(std::string_view text, Size i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
        return 1;
    }
    return i + 1 < text.size() ? 2 : 0;
}

char fold_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether part occurs at byte i; the caller makes sure enough bytes remain.
bool matches_at(std::string_view text, Size i, std::string_view part, bool ignore_case) {
    if (!ignore_case) {
        return text.compare(i, part.size(), part) == 0;
    }
    for (Size k = 0; k < part.size(); ++k) {
        if (fold_ascii(text[i + k]) != fold_ascii(part[k])) {
            return false;
        }
    }
    return true;
}

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Walks `region` from byte `from` character by character and calls found(i) for every
// character start i where needle matches, until found returns false. needle is not empty.
template <typename Found>
void walk_matches(std::string_view region, Size from, std::string_view needle, bool ignore_case,
                  Found found) {
    const auto same = [](char a, char b) { return fold_ascii(a) == fold_ascii(b); };
    // Every place the walk would find is also a place where the bytes match, so a byte
    // search rules out the rest; the walk by characters then only has to catch up with
    // each find to tell whether it starts a character or is the trail byte of one.
    Size start = from;  // always a character start
    for (Size next = from;;) {
        Size i = std::string_view::npos;
        if (ignore_case) {
            const auto at = std::search(region.begin() + static_cast<std::ptrdiff_t>(next),
                                        region.end(), needle.begin(), needle.end(), same);
            i = at == region.end() ? i : static_cast<Size>(at - region.begin());
        } else {
            i = backend::find_bytes(region, needle, next);
        }
        if (i == std::string_view::npos) {
            return;
        }
        while (start < i) {
            // Eight ASCII bytes at a time, each a character of its own.
            std::uint64_t word = 0;
            if (i - start >= sizeof word) {
                std::memcpy(&word, region.data() + start, sizeof word);
                if ((word & 0x8080808080808080u) == 0) {
                    start += sizeof word;
                    continue;
                }
            }
            start += char_size(region, start);  // never 0 here: a match follows
        }
        if (start == i && !found(i)) {
            return;
        }
        next = start == i ? i + 1 : start;
    }
}

bool is_space_at(std::string_view text, Size i, Size size) {
    const auto byte = static_cast<unsigned char>(text[i]);
    return (size == 1 && byte == 0x20) ||
           (size == 2 && byte == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1);
}

// Size of the character at i for walks that keep every byte: a lone trailing lead byte
// counts as one byte.
Size kept_char_size(std::string_view text, Size i) {
    return std::max<Size>(char_size(text, i), 1);
}

}  // namespace

int text_length(std::string_view text) {
    return static_cast<int>(text.size());
}

int find_text(std::string_view text, std::string_view needle, int start, bool ignore_case) {
    const Size skip = start > 1 ? static_cast<Size>(start - 1) : 0;
    if (skip >= text.size()) {
        return -1;
    }
    if (needle.empty()) {
        return 1;
    }
    int position = -1;
    walk_matches(text, skip, needle, ignore_case, [&](Size i) {
        position = static_cast<int>(i) + 1;
        return false;
    });
    return position;
}

int find_last_text(std::string_view text, std::string_view needle, std::optional<int> start,
                   bool ignore_case) {
    Size region_size = text.size();
    if (start) {
        region_size = *start > 1 ? std::min(static_cast<Size>(*start - 1), text.size()) : 0;
    }
    if (region_size == 0) {
        return -1;
    }
    if (needle.empty()) {
        return 1;
    }
    int position = -1;
    walk_matches(text.substr(0, region_size), 0, needle, ignore_case, [&](Size i) {
        position = static_cast<int>(i) + 1;
        return true;
    });
    return position;
}

Text text_left(std::string_view text, int n) {
    return n > 0 ? Text(text.substr(0, static_cast<Size>(n))) : Text();
}

Text text_right(std::string_view text, int n) {
    if (n <= 0) {
        return {};
    }
    const Size count = std::min(static_cast<Size>(n), text.size());
    return Text(text.substr(text.size() - count));
}

Text text_middle(std::string_view text, int start, int n) {
    if (start < 1 || static_cast<Size>(start) > text.size() || n <= 0) {
        return {};
    }
    return Text(text.substr(static_cast<Size>(start - 1), static_cast<Size>(n)));
}

Text replace_text(std::string_view text, std::string_view old_part, std::string_view new_part,
                  int start, int count, bool case_sensitive) {
    const Size skip = start > 1 ? static_cast<Size>(start - 1) : 0;
    if (text.empty() || old_part.empty() || skip >= text.size() || count == 0) {
        return Text(text);
    }
    Text result(text.substr(0, skip));
    Size i = skip;
    int replaced = 0;
    const bool ascii = is_ascii(text.substr(skip));
    while (text.size() - i >= old_part.size()) {
        if (ascii) {
            // Every byte starts a character: copy up to the next match in one piece.
            const auto same = [case_sensitive](char a, char b) {
                return case_sensitive ? a == b : fold_ascii(a) == fold_ascii(b);
            };
            const auto at = std::search(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                                        old_part.begin(), old_part.end(), same);
            const Size found = static_cast<Size>(at - text.begin());
            result.append(text.substr(i, found - i));
            i = found;
            if (at == text.end()) {
                break;
            }
        } else if (!matches_at(text, i, old_part, !case_sensitive)) {
            const Size step = char_size(text, i);
            if (step == 0) {
                break;
            }
            result.append(text.substr(i, step));
            i += step;
            continue;
        }
        result.append(new_part);
        i += old_part.size();
        if (++replaced == count) {
            break;
        }
    }
    result.append(text.substr(i));
    return result;
}

Text trim_spaces(std::string_view text) {
    Size begin = 0;
    while (begin < text.size()) {
        const Size size = kept_char_size(text, begin);
        if (!is_space_at(text, begin, size)) {
            break;
        }
        begin += size;
    }
    // The end of the last character that is not a space, found walking forwards so that
    // the second byte of a double-byte character is never taken for a space.
    Size end = begin;
    for (Size i = begin; i < text.size();) {
        const Size size = kept_char_size(text, i);
        if (!is_space_at(text, i, size)) {
            end = i + size;
        }
        i += size;
    }
    return Text(text.substr(begin, end - begin));
}

Text remove_spaces(std::string_view text) {
    Text result;
    result.reserve(text.size());
    for (Size i = 0; i < text.size();) {
        const Size size = kept_char_size(text, i);
        if (!is_space_at(text, i, size)) {
            result.append(text.substr(i, size));
        }
        i += size;
    }
    return result;
}

Text to_upper(std::string_view text) {
    Text result(text);
    for (Size i = 0; i < result.size();) {
        const Size size = kept_char_size(text, i);
        if (size == 1 && result[i] >= 'a' && result[i] <= 'z') {
            result[i] = static_cast<char>(result[i] - 'a' + 'A');
        }
        i += size;
    }
    return result;
}

TextList split_text(std::string_view text, std::string_view separator, int max_pieces) {
    TextList pieces;
    if (text.empty() || max_pieces == 0) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    const auto limit_reached = [&] {
        return max_pieces > 0 && pieces.size() >= static_cast<std::size_t>(max_pieces);
    };
    Size piece_begin = 0;
    for (Size i = 0; i < text.size();) {
        if (text[i] == separator[0] && text.size() - i >= separator.size() &&
            matches_at(text, i, separator, false)) {
            pieces.emplace_back(text.substr(piece_begin, i - piece_begin));
            i += separator.size();
            piece_begin = i;
            if (limit_reached()) {
                return pieces;
            }
            continue;
        }
        const Size step = char_size(text, i);
        if (step == 0) {
            break;
        }
        i += step;
    }
    if (piece_begin < text.size()) {
        pieces.emplace_back(text.substr(piece_begin));
    }
    return pieces;
}

int compare_text(std::string_view a, std::string_view b, bool case_sensitive) {
    // The next character of `text` at i as one number, or -1 at the end of the text.
    const auto next_char = [case_sensitive](std::string_view text, Size& i) -> int {
        if (i >= text.size()) {
            return -1;
        }
        const Size size = char_size(text, i);
        if (size == 0) {
            return -1;
        }
        const auto first =
            static_cast<unsigned char>(case_sensitive ? text[i] : fold_ascii(text[i]));
        const int code = size == 1 ? first : (first << 8) | static_cast<unsigned char>(text[i + 1]);
        i += size;
        return code;
    };
    Size i = 0;
    Size j = 0;
    while (true) {
        const int x = next_char(a, i);
        const int y = next_char(b, j);
        if (x != y) {
            return x < y ? -1 : 1;
        }
        if (x == -1) {
            return 0;
        }
    }
}

int char_code(std::string_view text, int position) {
    if (position < 1 || static_cast<Size>(position) > text.size()) {
        return 0;
    }
    return static_cast<signed char>(text[static_cast<Size>(position - 1)]);
}

Text char_text(int code) {
    const auto byte = static_cast<char>(static_cast<unsigned char>(code & 0xFF));
    return byte == 0 ? Text() : Text(1, byte);
}

}  // namespace velmora
