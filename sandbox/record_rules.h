// What the provider accepts in a record change.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::sandbox {

// A whole decimal number (digits only, no sign, no blank) that fits 64 bits.
std::optional<std::uint64_t> parse_id(std::string_view text);

// Four decimal fields 0-255 separated by dots and nothing else: no blank, no line
// break, no sign, no leading zero in a field of more than one digit.
bool is_dotted_ipv4(std::string_view text);

// Any text form of an IPv6 address the system's own parser accepts (no zone, no
// brackets, no blank).
bool is_ipv6_address(std::string_view text);

// A host record name: "@", or labels of letters, digits, '-' and '_' joined by dots,
// optionally starting with a "*" label.
bool is_host_record_name(std::string_view text);

// One of A, AAAA, CNAME, MX, NS, TXT (exact capitals).
bool is_supported_type(std::string_view type);

// Whether `value` is acceptable for a record of `type` (a supported type).
bool value_fits_type(std::string_view type, std::string_view value);

// The default line, "默认", in GBK (as the client sends it) or UTF-8.
bool is_default_line(std::string_view line);

}  // namespace velmora::sandbox
