#include "http/cookies.h"

#include <algorithm>

#include "base/markers.h"
#include "base/text.h"

namespace velmora {
namespace {

constexpr std::string_view kSeparator = "; ";

// Only the name=value pair before the first ";" is kept: path, domain, expiry and flags
// mean nothing to a cookie text that is simply sent back.
Text set_cookie_piece(const Text& line) {
    if (find_text(line, ";") == -1) {
        return trim_spaces(replace_text(line, "Set-Cookie:", "", 1, -1, false));
    }
    return trim_spaces(text_between(line, "Set-Cookie:", ";"));
}

Text cookie_name(const Text& piece) {
    const int equals = find_text(piece, "=");
    return trim_spaces(equals == -1 ? piece : text_left(piece, equals - 1));
}

bool is_deleted(const Text& piece) {
    return text_right(piece, 8) == "=deleted";
}

Text drop_last_two(const Text& text) {
    return text_left(text, text_length(text) - 2);
}

// Trims the text and gives a trailing ";" its blank, so that splitting at "; " never
// leaves the semicolon on the last piece.
Text normalise(const Text& cookies) {
    Text trimmed = trim_spaces(cookies);
    if (!trimmed.empty() && trimmed.back() == ';') {
        trimmed += ' ';
    }
    return trimmed;
}

// The server's pieces first; a sent piece only when no piece of its name is listed yet.
// Removed cookies vanish and exact duplicates keep their first place.
Text merge_pieces(const TextList& sent, TextList merged) {
    for (const Text& piece : sent) {
        const Text name = cookie_name(piece);
        const bool listed = std::any_of(merged.begin(), merged.end(), [&](const Text& other) {
            return cookie_name(other) == name;
        });
        if (!listed) {
            merged.push_back(piece);
        }
    }
    // Joining and splitting again drops an empty last piece, as the cookie text would.
    Text joined;
    for (const Text& piece : merged) {
        if (!is_deleted(piece)) {
            joined += piece + Text(kSeparator);
        }
    }
    TextList kept;
    for (const Text& piece : split_text(drop_last_two(joined), kSeparator)) {
        if (std::find(kept.begin(), kept.end(), piece) == kept.end()) {
            kept.push_back(piece);
        }
    }
    Text result;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            result += kSeparator;
        }
        result += kept[i];
    }
    return result;
}

}  // namespace

void collect_set_cookie(const Text& line, Text& received_cookies) {
    const int colon = find_text(line, ": ");
    if (colon == -1 || text_left(line, colon - 1) != "Set-Cookie") {
        return;
    }
    received_cookies += set_cookie_piece(line) + Text(kSeparator);
}

void finish_received_cookies(Text& received_cookies) {
    if (text_right(received_cookies, 2) == kSeparator) {
        received_cookies = drop_last_two(received_cookies);
    }
}

Text merge_cookies(Text& send_cookies, Text& received_cookies) {
    send_cookies = normalise(send_cookies);
    received_cookies = normalise(received_cookies);
    send_cookies = merge_pieces(split_text(send_cookies, kSeparator),
                                split_text(received_cookies, kSeparator));
    return send_cookies;
}

void collect_set_cookie_simple(const Text& line, Text& received_cookies) {
    if (find_text(line, "Set-Cookie") == -1) {
        return;
    }
    received_cookies += set_cookie_piece(line) + Text(kSeparator);
}

void finish_received_cookies_simple(Text& received_cookies) {
    received_cookies = drop_last_two(received_cookies);
}

Text merge_cookies_simple(Text& send_cookies, Text& received_cookies) {
    send_cookies = remove_spaces(send_cookies);
    received_cookies = remove_spaces(received_cookies);
    send_cookies = merge_pieces(split_text(send_cookies, ";"), split_text(received_cookies, ";"));
    return send_cookies;
}

}  // namespace velmora
