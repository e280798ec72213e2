#include "update/ipv6_address.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace velmora {
namespace {

using Groups = std::array<std::uint16_t, 8>;

// The longest text a plain address can have: six four-digit groups and a dotted tail.
constexpr std::size_t longest_text = 45;

bool parse_group(std::string_view digits, std::uint16_t& group) {
    // from_chars takes hex digits of either case and nothing else: no sign, no "0x".
    return !digits.empty() && digits.size() <= 4 &&
           std::from_chars(digits.data(), digits.data() + digits.size(), group, 16).ptr ==
               digits.data() + digits.size();
}

// Four decimal fields 0-255 without leading zeros, as two groups.
bool parse_dotted_tail(std::string_view text, std::uint16_t& high, std::uint16_t& low) {
    std::array<unsigned, 4> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t end = i + 1 < fields.size() ? text.find('.') : text.size();
        const std::string_view field = text.substr(0, end);
        if (end == std::string_view::npos || field.empty() || field.size() > 3 ||
            (field.size() > 1 && field.front() == '0')) {
            return false;
        }
        for (const char c : field) {
            if (c < '0' || c > '9') {
                return false;
            }
            fields[i] = fields[i] * 10 + static_cast<unsigned>(c - '0');
        }
        if (fields[i] > 255) {
            return false;
        }
        text.remove_prefix(end == text.size() ? end : end + 1);
    }
    high = static_cast<std::uint16_t>(fields[0] << 8 | fields[1]);
    low = static_cast<std::uint16_t>(fields[2] << 8 | fields[3]);
    return true;
}

// Appends the ':'-separated groups of `part` (empty: none) to `groups` from `count`
// on. Only the address's last part may end in a dotted tail.
bool parse_part(std::string_view part, bool last, Groups& groups, std::size_t& count) {
    if (part.empty()) {
        return true;
    }
    while (true) {
        const std::size_t colon = part.find(':');
        const std::string_view piece = part.substr(0, colon);
        if (colon == std::string_view::npos && last && piece.find('.') != std::string_view::npos) {
            if (count + 2 > groups.size() ||
                !parse_dotted_tail(piece, groups[count], groups[count + 1])) {
                return false;
            }
            count += 2;
            return true;
        }
        if (count == groups.size() || !parse_group(piece, groups[count])) {
            return false;
        }
        ++count;
        if (colon == std::string_view::npos) {
            return true;
        }
        part.remove_prefix(colon + 1);
    }
}

}  // namespace

std::optional<Ipv6Bytes> parse_ipv6(std::string_view text) {
    if (text.size() > longest_text) {
        return std::nullopt;
    }
    Groups head{};
    Groups tail{};
    std::size_t head_count = 0;
    std::size_t tail_count = 0;
    const std::size_t gap = text.find("::");
    if (gap == std::string_view::npos) {
        if (!parse_part(text, true, head, head_count) || head_count != head.size()) {
            return std::nullopt;
        }
    } else {
        // A second "::" (":::" included) leaves a ':' at the edge of a part or an empty
        // piece inside it, which the part parser refuses.
        if (!parse_part(text.substr(0, gap), false, head, head_count) ||
            !parse_part(text.substr(gap + 2), true, tail, tail_count) ||
            head_count + tail_count >= head.size()) {
            return std::nullopt;
        }
    }
    Groups groups{};
    for (std::size_t i = 0; i < head_count; ++i) {
        groups[i] = head[i];
    }
    for (std::size_t i = 0; i < tail_count; ++i) {
        groups[groups.size() - tail_count + i] = tail[i];
    }
    Ipv6Bytes address{};
    for (std::size_t i = 0; i < groups.size(); ++i) {
        address[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
        address[2 * i + 1] = static_cast<std::uint8_t>(groups[i] & 0xFF);
    }
    return address;
}

Text ipv6_text(const Ipv6Bytes& address) {
    static constexpr char hex[] = "0123456789abcdef";
    Groups groups{};
    for (std::size_t i = 0; i < groups.size(); ++i) {
        groups[i] = static_cast<std::uint16_t>(address[2 * i] << 8 | address[2 * i + 1]);
    }
    const bool ipv4_mapped = groups[0] == 0 && groups[1] == 0 && groups[2] == 0 && groups[3] == 0 &&
                             groups[4] == 0 && groups[5] == 0xFFFF;
    const std::size_t hex_groups = ipv4_mapped ? 6 : 8;

    std::size_t best_start = 0;
    std::size_t best_length = 0;
    for (std::size_t start = 0; start < hex_groups;) {
        std::size_t end = start;
        while (end < hex_groups && groups[end] == 0) {
            ++end;
        }
        if (end - start > best_length) {
            best_start = start;
            best_length = end - start;
        }
        start = end == start ? start + 1 : end;
    }
    if (best_length < 2) {
        best_length = 0;  // a single zero group is written as "0"
    }

    Text text;
    for (std::size_t i = 0; i < hex_groups; ++i) {
        if (best_length > 0 && i == best_start) {
            text += "::";
            i += best_length - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') {
            text += ':';
        }
        bool leading = true;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const unsigned digit = (groups[i] >> shift) & 0xF;
            if (digit != 0 || shift == 0 || !leading) {
                text += hex[digit];
                leading = false;
            }
        }
    }
    if (ipv4_mapped) {
        text += ':';
        for (std::size_t i = 12; i < 16; ++i) {
            text += std::to_string(address[i]) + (i < 15 ? "." : "");
        }
    }
    return text;
}

bool is_global_unicast(const Ipv6Bytes& address) {
    return (address[0] & 0xE0) == 0x20;
}

std::optional<Text> public_ipv6_text(std::string_view text) {
    const std::optional<Ipv6Bytes> address = parse_ipv6(text);
    if (!address || !is_global_unicast(*address)) {
        return std::nullopt;
    }
    return ipv6_text(*address);
}

bool same_ipv6_address(std::string_view a, std::string_view b) {
    const std::optional<Ipv6Bytes> first = parse_ipv6(a);
    const std::optional<Ipv6Bytes> second = parse_ipv6(b);
    return first && second && *first == *second;
}

}  // namespace velmora
