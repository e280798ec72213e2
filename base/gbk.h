// The edges where GBK meets other encodings. Everything inside the system is GBK.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/types.h"

namespace velmora {

// A string literal (or a constant array or pointer that names one), and nothing else: the
// constructor runs at compile time and reads every byte, which only immutable text
// allows, so a buffer that could later hold other text never becomes one.
class Utf8Literal {
  public:
    consteval Utf8Literal(const char* literal) : data_(literal) {
        while (literal[size_] != '\0') {
            ++size_;
        }
    }

    constexpr std::string_view view() const { return {data_, size_}; }

  private:
    const char* data_;
    std::size_t size_ = 0;
};

// The system's own texts are written as UTF-8 literals in the source and turned into
// GBK here, and only here: gbk("登入成功") is the GBK text of that message.
// The result is cached per literal (a literal never changes, so its address identifies
// its text); a literal that cannot be converted is a programming error and aborts.
const Text& gbk(Utf8Literal utf8_literal);

// GBK <-> UTF-16 (code page 936). to_wide of the empty text is the empty string.
std::u16string to_wide(const Text& text);
Text from_wide(std::u16string_view wide);

// General conversion between two charsets named as the platform knows them
// ("UTF-8", "GBK", "ISO-8859-1", ...). Input named as GB2312 (any letter case, any of its
// usual aliases) is read as GBK, its superset. Bytes that cannot be converted are
// skipped; an unknown charset gives false and leaves `out` empty.
bool convert_charset(std::string_view input, const char* from_charset, const char* to_charset,
                     std::string& out);

}  // namespace velmora
