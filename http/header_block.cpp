#include "http/header_block.h"

#include "base/text.h"

namespace velmora {
namespace {

constexpr int from_start = 1;

struct DefaultLine {
    const char* probe;
    const char* line;
};

constexpr DefaultLine user_agent{
    "User-Agent: ",
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"};
constexpr DefaultLine accept{"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n"};
constexpr DefaultLine accept_encoding{"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n"};
constexpr DefaultLine accept_language{"Accept-Language: ", "Accept-Language: zh-cn\r\n"};
constexpr DefaultLine form_content_type{"Content-Type:",
                                        "Content-Type: application/x-www-form-urlencoded\r\n"};
constexpr DefaultLine cache_control{"Cache-Control: ", "Cache-Control: no-cache\r\n"};

bool contains(const Text& text, const char* needle, bool ignore_case) {
    return find_text(text, needle, from_start, ignore_case) != -1;
}

void add_default(Text& block, const DefaultLine& line, bool ignore_case = true) {
    if (!contains(block, line.probe, ignore_case)) {
        block += line.line;
    }
}

Text start_block(const Text& extra_headers) {
    return extra_headers.empty() ? Text() : extra_headers + "\r\n";
}

// Upper-cases the ASCII letter that begins each dash-separated word of a name, walking
// the name character by character so that a GBK character's second byte is never taken
// for a dash or a letter.
void capitalise_words(Text& line, std::size_t name_length) {
    bool word_start = true;
    for (std::size_t i = 0; i < name_length;) {
        const char c = line[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            word_start = false;
            i += 2;
            continue;
        }
        if (word_start && c >= 'a' && c <= 'z') {
            line[i] = static_cast<char>(c - 'a' + 'A');
        }
        word_start = c == '-';
        ++i;
    }
}

// A "Connection: keep-alive" line is the transport's business, not the caller's: drop
// it, except as the very last line (no CRLF after it), which is left where it is.
void drop_keep_alive(Text& block) {
    if (!contains(block, "Connection", false)) {
        return;
    }
    for (const Text& line : split_text(block, "\r\n")) {
        if (find_text(line, "Connection", from_start) != 1) {
            continue;
        }
        const int separator = find_last_text(line, ": ");
        const Text value =
            separator == -1 ? Text() : text_middle(line, separator + 2, text_length(line));
        if (value == "keep-alive") {
            block = replace_text(block, "Connection: keep-alive\r\n");
        }
        return;
    }
}

}  // namespace

Text normalized_header_block(const Text& block) {
    Text joined;
    bool first = true;
    for (Text& line : split_text(block, "\r\n")) {
        const int colon = find_text(line, ":", from_start);
        if (colon == -1) {
            continue;
        }
        capitalise_words(line, static_cast<std::size_t>(colon - 1));
        if (!first) {
            joined += "\r\n";
        }
        joined += line;
        first = false;
    }
    return joined;
}

Text build_header_block(const Text& extra_headers, const Text& send_cookies, bool post,
                        bool add_default_headers, bool normalize_names) {
    Text block = start_block(extra_headers);
    if (add_default_headers) {
        add_default(block, user_agent);
        add_default(block, accept);
        add_default(block, accept_encoding);
        add_default(block, accept_language);
        if (post) {
            add_default(block, form_content_type);
        }
        add_default(block, cache_control);
    }
    if (normalize_names) {
        block = normalized_header_block(block);
    }
    drop_keep_alive(block);
    if (!contains(block, "Cookie:", true) && !send_cookies.empty()) {
        if (contains(send_cookies, "Cookie:", true)) {
            block += "\r\n" + send_cookies + "\r\n";
        } else {
            block += "\r\nCookie: " + send_cookies + "\r\n";
        }
    }
    return block;
}

Text build_simple_header_block(const Text& extra_headers, const Text& send_cookies) {
    Text block = start_block(extra_headers);
    add_default(block, user_agent);
    add_default(block, accept);
    add_default(block, accept_encoding);
    add_default(block, accept_language);
    add_default(block, form_content_type, false);
    add_default(block, cache_control);
    if (!contains(block, "Cookie: ", true) && !send_cookies.empty()) {
        block += "Cookie: " + send_cookies + "\r\n";
    }
    return block;
}

TextList header_block_lines(const Text& block) {
    TextList lines;
    for (Text& line : split_text(block, "\r\n")) {
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

Text header_value(const Text& block, const Text& name) {
    // Line by line over views of the block: the time stamp of every log line goes through
    // here, and copying each header line would cost more than the search.
    std::string_view value;
    bool found = false;
    for (std::string_view rest = block; !rest.empty();) {
        const int end = find_text(rest, "\r\n");
        const std::string_view line = end == -1 ? rest : rest.substr(0, end - 1);
        rest = end == -1 ? std::string_view() : rest.substr(end + 1);
        const int colon = find_text(line, ":");
        if (colon != -1 && compare_text(line.substr(0, colon - 1), name, false) == 0) {
            value = line.substr(colon);
            found = true;
        }
    }
    return found ? trim_spaces(value) : Text();
}

}  // namespace velmora
