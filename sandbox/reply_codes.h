// The status codes the sandbox answers. The refusal codes come from the provider's
// published table; the record errors use codes outside it, so a client that looks a
// code up in that table finds no message for them.
#pragma once

#include <string>
#include <string_view>

namespace velmora::sandbox::codes {

inline constexpr std::string_view success = "1";
inline constexpr std::string_view login_failed = "-1";         // token wrong for the ID
inline constexpr std::string_view token_id_invalid = "10001";  // malformed token, unknown ID
inline constexpr std::string_view domain_invalid = "-15";      // no such domain in the account
inline constexpr std::string_view record_invalid = "8";        // no such record in the domain
inline constexpr std::string_view value_invalid = "17";        // value does not fit the type
inline constexpr std::string_view sub_domain_invalid = "21";
inline constexpr std::string_view type_invalid = "22";
inline constexpr std::string_view line_invalid = "26";

// The message sent beside a code; codes the sandbox never chooses by itself (set
// through the control interface) get a generic one.
std::string message_for(std::string_view code);

}  // namespace velmora::sandbox::codes
