#include "sandbox/reply_codes.h"

#include <array>
#include <utility>

namespace velmora::sandbox::codes {

std::string message_for(std::string_view code) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> messages{{
        {success, "Action completed successful"},
        {login_failed, "Login failed"},
        {token_id_invalid, "Login token ID is invalid"},
        {domain_invalid, "Domain id invalid"},
        {record_invalid, "Record id invalid"},
        {value_invalid, "Record value invalid"},
        {sub_domain_invalid, "Sub domain invalid"},
        {type_invalid, "Record type invalid"},
        {line_invalid, "Record line invalid"},
    }};
    for (const auto& [known, message] : messages) {
        if (known == code) {
            return std::string(message);
        }
    }
    return "Reply code chosen through the sandbox control interface";
}

}  // namespace velmora::sandbox::codes
