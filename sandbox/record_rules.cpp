#include "sandbox/record_rules.h"

#include <arpa/inet.h>

#include <array>
#include <charconv>
#include <string>

namespace velmora::sandbox {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_label_char(char c) {
    return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
}

// Dotted labels of label characters, an optional final dot allowed.
bool is_host_name(std::string_view text) {
    if (text.empty() || text.size() > 253) {
        return false;
    }
    if (text.back() == '.') {
        text.remove_suffix(1);
    }
    std::size_t label = 0;
    for (const char c : text) {
        if (c == '.') {
            if (label == 0) {
                return false;
            }
            label = 0;
        } else if (is_label_char(c) && ++label <= 63) {
            continue;
        } else {
            return false;
        }
    }
    return label > 0;
}

}  // namespace

std::optional<std::uint64_t> parse_id(std::string_view text) {
    std::uint64_t value = 0;
    if (text.empty() || !is_digit(text.front())) {
        return std::nullopt;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool is_dotted_ipv4(std::string_view text) {
    int fields = 0;
    while (true) {
        const std::size_t dot = text.find('.');
        const std::string_view field = text.substr(0, dot);
        if (field.empty() || field.size() > 3 || (field.size() > 1 && field.front() == '0')) {
            return false;
        }
        int value = 0;
        for (const char c : field) {
            if (!is_digit(c)) {
                return false;
            }
            value = value * 10 + (c - '0');
        }
        if (value > 255) {
            return false;
        }
        ++fields;
        if (dot == std::string_view::npos) {
            return fields == 4;
        }
        text.remove_prefix(dot + 1);
    }
}

bool is_ipv6_address(std::string_view text) {
    // The parser reads a C string: a zero byte would hide what follows it.
    in6_addr address{};
    return text.find('\0') == std::string_view::npos &&
           inet_pton(AF_INET6, std::string(text).c_str(), &address) == 1;
}

bool is_host_record_name(std::string_view text) {
    if (text == "@" || text == "*") {
        return true;
    }
    if (text.starts_with("*.")) {
        text.remove_prefix(2);
    }
    return !text.ends_with(".") && is_host_name(text);
}

bool is_supported_type(std::string_view type) {
    static constexpr std::array<std::string_view, 6> types{"A", "AAAA", "CNAME", "MX", "NS", "TXT"};
    for (const std::string_view known : types) {
        if (known == type) {
            return true;
        }
    }
    return false;
}

bool value_fits_type(std::string_view type, std::string_view value) {
    if (type == "A") {
        return is_dotted_ipv4(value);
    }
    if (type == "AAAA") {
        return is_ipv6_address(value);
    }
    if (type == "TXT") {
        return !value.empty() && value.size() <= 255 &&
               value.find_first_of("\r\n") == std::string_view::npos;
    }
    return is_host_name(value);  // CNAME, MX, NS point at a host
}

bool is_default_line(std::string_view line) {
    return line == "\xC4\xAC\xC8\xCF" || line == "默认";
}

}  // namespace velmora::sandbox
