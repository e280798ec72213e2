#include "update/ipv4_address.h"

#include <array>
#include <cstdint>
#include <optional>

namespace velmora {

namespace {

// The address as a 32-bit number, when it is a plain dotted IPv4 address.
std::optional<std::uint32_t> parse_plain_ipv4(const Text& text) {
    std::uint32_t address = 0;
    int fields = 0;
    std::size_t i = 0;
    while (fields < 4) {
        int value = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 3) {
            value = value * 10 + (text[i] - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || value > 255) {
            return std::nullopt;
        }
        address = (address << 8) | static_cast<std::uint32_t>(value);
        ++fields;
        if (fields < 4) {
            if (i >= text.size() || text[i] != '.') {
                return std::nullopt;
            }
            ++i;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return address;
}

struct Range {
    std::uint32_t network;
    int prefix_length;
    bool contains(std::uint32_t address) const {
        const std::uint32_t mask = ~std::uint32_t{0} << (32 - prefix_length);
        return (address & mask) == network;
    }
};

constexpr std::uint32_t ip(int a, int b) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16;
}

constexpr std::array<Range, 8> kNotPublic{{
    {ip(0, 0), 8},       // this network
    {ip(10, 0), 8},      // private
    {ip(100, 64), 10},   // carrier-grade NAT
    {ip(127, 0), 8},     // loopback
    {ip(169, 254), 16},  // link-local
    {ip(172, 16), 12},   // private
    {ip(192, 168), 16},  // private
    {ip(224, 0), 3},     // multicast, reserved and broadcast
}};

}  // namespace

bool is_plain_ipv4(const Text& text) {
    return parse_plain_ipv4(text).has_value();
}

bool is_public_ipv4(const Text& text) {
    const std::optional<std::uint32_t> address = parse_plain_ipv4(text);
    if (!address) {
        return false;
    }
    for (const Range& range : kNotPublic) {
        if (range.contains(*address)) {
            return false;
        }
    }
    return true;
}

}  // namespace velmora
