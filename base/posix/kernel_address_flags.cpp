#include "base/posix/kernel_address_flags.h"

#include <linux/if_addr.h>

#include <charconv>
#include <sstream>
#include <string>

namespace velmora {
namespace {

bool parse_hex(std::string_view digits, unsigned& value) {
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    return error == std::errc() && end == digits.data() + digits.size();
}

bool parse_hex_address(std::string_view digits, Ipv6Bytes& address) {
    if (digits.size() != 2 * address.size()) {
        return false;
    }
    for (std::size_t i = 0; i < address.size(); ++i) {
        unsigned byte = 0;
        if (!parse_hex(digits.substr(2 * i, 2), byte)) {
            return false;
        }
        address[i] = static_cast<std::uint8_t>(byte);
    }
    return true;
}

}  // namespace

std::vector<InterfaceAddress> parse_kernel_address_table(std::string_view table) {
    std::vector<InterfaceAddress> entries;
    std::istringstream lines{std::string(table)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, index, prefix_length, scope, flags_text;
        InterfaceAddress entry;
        unsigned flags = 0;
        unsigned ignored = 0;
        if (!(fields >> address >> index >> prefix_length >> scope >> flags_text >>
              entry.interface_name) ||
            !parse_hex_address(address, entry.address) || !parse_hex(index, ignored) ||
            !parse_hex(prefix_length, ignored) || !parse_hex(scope, ignored) ||
            !parse_hex(flags_text, flags)) {
            continue;
        }
        entry.temporary = (flags & IFA_F_TEMPORARY) != 0;
        entry.deprecated = (flags & IFA_F_DEPRECATED) != 0;
        // An optimistic address is usable while its check runs, though still tentative.
        entry.tentative = (flags & IFA_F_DADFAILED) != 0 ||
                          ((flags & IFA_F_TENTATIVE) != 0 && (flags & IFA_F_OPTIMISTIC) == 0);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace velmora
