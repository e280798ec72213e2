// The edges where GBK meets other encodings. Everything inside the system is GBK.
#pragma once

#include <string_view>

#include "base/types.h"

namespace velmora {

// The system's own texts are written as UTF-8 literals in the source and turned into
// GBK here, and only here: gbk("登入成功") is the GBK text of that message.
// The result is cached per literal address; a literal that cannot be converted is a
// programming error and aborts.
const Text& gbk(std::string_view utf8_literal);

// GBK <-> UTF-16 (code page 936). to_wide of the empty text is the empty string.
std::u16string to_wide(const Text& text);
Text from_wide(std::u16string_view wide);

// General conversion over iconv between two charsets named as iconv knows them
// ("UTF-8", "GBK", "ISO-8859-1", ...). Bytes that cannot be converted are skipped;
// an unknown charset gives false and leaves `out` empty.
bool convert_charset(std::string_view input, const char* from_charset, const char* to_charset,
                     std::string& out);

}  // namespace velmora
