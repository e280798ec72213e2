// The platform's multi-language service (MLang): charset names and the conversions of
// encodings the code-page calls may not know (the ISO-2022 family on some systems).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The code page the service gives a charset name; nothing for a name it does not know.
std::optional<unsigned> multi_language_code_page(std::string_view charset);

// `bytes` of `code_page` as UTF-16, and back; nothing when the service cannot convert.
std::optional<std::u16string> multi_language_decode(unsigned code_page, std::string_view bytes);
std::optional<std::string> multi_language_encode(unsigned code_page, std::u16string_view wide);

}  // namespace velmora
