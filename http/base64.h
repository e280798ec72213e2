// Base64 with the standard alphabet and "=" padding (RFC 4648), as Basic credentials need.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::string base64_encode(std::string_view bytes);

}  // namespace velmora
