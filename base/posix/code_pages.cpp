// Code pages over iconv.
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "base/backend.h"
#include "base/charset_names.h"
#include "base/gbk.h"
#include "base/posix/gbk_private_use.h"

namespace velmora {

namespace {

constexpr const char* kGbk = "GBK";
constexpr const char* kUtf32 = "UTF-32LE";

// What a conversion does with input iconv cannot convert before skipping it: the number of
// input bytes it took care of itself (appending their output), or 0.
using Fallback = size_t (*)(std::string_view rest, std::string& out);

size_t gbk_private_use_to_utf32(std::string_view rest, std::string& out) {
    if (rest.size() < 2) {
        return 0;
    }
    const auto character = gbk_private_use_character(
        {static_cast<unsigned char>(rest[0]), static_cast<unsigned char>(rest[1])});
    if (!character) {
        return 0;
    }
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((*character >> shift) & 0xff);
    }
    return 2;
}

size_t utf32_private_use_to_gbk(std::string_view rest, std::string& out) {
    if (rest.size() < 4) {
        return 0;
    }
    char32_t character = 0;
    for (int i = 3; i >= 0; --i) {
        character = character << 8 | static_cast<unsigned char>(rest[static_cast<size_t>(i)]);
    }
    const auto pair = gbk_private_use_pair(character);
    if (!pair) {
        return 0;
    }
    out += static_cast<char>(pair->lead);
    out += static_cast<char>(pair->trail);
    return 4;
}

Fallback fallback_for(std::string_view from_charset, std::string_view to_charset) {
    if (from_charset == kGbk && to_charset == kUtf32) {
        return gbk_private_use_to_utf32;
    }
    if (from_charset == kUtf32 && to_charset == kGbk) {
        return utf32_private_use_to_gbk;
    }
    return nullptr;
}

// A conversion descriptor carries shift state, so it must not be shared between threads;
// each run starts from the initial state.
class Converter {
  public:
    Converter(const char* from_charset, const char* to_charset)
        : descriptor_(iconv_open(to_charset, from_charset)),
          fallback_(fallback_for(from_charset, to_charset)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(descriptor_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`. With a `skip_unit`, an input sequence that cannot be
    // converted goes to the fallback, or else loses that many bytes (one code unit of the
    // input charset), and conversion goes on, and an incomplete sequence at the end is
    // dropped; without one, either makes the conversion fail.
    bool run(std::string_view input, std::optional<size_t> skip_unit, std::string& out) {
        out.clear();
        iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
        char* in_ptr = const_cast<char*>(input.data());
        size_t in_left = input.size();
        bool flushed = false;
        char buffer[4096];
        while (true) {
            char* out_ptr = buffer;
            size_t out_left = sizeof buffer;
            // Once the input is used up, a null input flushes any pending shift sequence.
            size_t result = in_left > 0 ? iconv(descriptor_, &in_ptr, &in_left, &out_ptr, &out_left)
                                        : iconv(descriptor_, nullptr, nullptr, &out_ptr, &out_left);
            out.append(buffer, static_cast<size_t>(out_ptr - buffer));
            if (result != static_cast<size_t>(-1)) {
                if (in_left == 0 && flushed) {
                    return true;
                }
                flushed = in_left == 0;
                continue;
            }
            if (errno == E2BIG) {
                continue;
            }
            if (!skip_unit || in_left == 0) {
                return skip_unit.has_value();  // a failing flush has nothing left to skip
            }
            size_t skipped = in_left;
            if (errno == EILSEQ) {
                const size_t taken = fallback_ ? fallback_({in_ptr, in_left}, out) : 0;
                skipped = taken > 0 ? taken : std::min(*skip_unit, in_left);
            }
            in_ptr += skipped;
            in_left -= skipped;
        }
    }

  private:
    iconv_t descriptor_;
    Fallback fallback_;
};

// Opening a descriptor loads and unloads the charset's conversion module each time, which
// costs far more than the short conversions themselves; so each thread keeps the ones it
// opened. Charset names can come from web pages, so the cache is bounded.
// Shared pointers, so that emptying a full cache never pulls a descriptor from under a
// caller that still holds it.
std::shared_ptr<Converter> cached_converter(const char* from_charset, const char* to_charset) {
    constexpr size_t kMaxConverters = 16;
    thread_local std::unordered_map<std::string, std::shared_ptr<Converter>> converters;
    std::string key = std::string(from_charset) + '\n' + to_charset;
    auto found = converters.find(key);
    if (found != converters.end()) {
        return found->second;
    }
    auto converter = std::make_shared<Converter>(from_charset, to_charset);
    if (!converter->valid()) {
        return nullptr;
    }
    if (converters.size() >= kMaxConverters) {
        converters.clear();
    }
    converters.emplace(std::move(key), converter);
    return converter;
}

// The width of one code unit of a charset, the step by which bad input is skipped.
size_t code_unit_width(std::string_view charset) {
    auto names = [&charset](std::string_view part) {
        return std::search(charset.begin(), charset.end(), part.begin(), part.end(),
                           [](char a, char b) {
                               return std::toupper(static_cast<unsigned char>(a)) == b;
                           }) != charset.end();
    };
    if (names("32") || names("UCS-4")) {
        return 4;
    }
    return names("16") || names("UCS-2") ? 2 : 1;
}

const char* decoding_charset(const char* name) {
    return is_gbk_name(name) ? kGbk : name;
}

}  // namespace

// Through UTF-32, where every character is one 4-byte unit: a character the target
// cannot hold is then skipped whole, however many bytes it took in the source.
bool convert_charset(std::string_view input, const char* from_charset, const char* to_charset,
                     std::string& out) {
    out.clear();
    const auto decoder = cached_converter(decoding_charset(from_charset), kUtf32);
    const auto encoder = decoder ? cached_converter(kUtf32, to_charset) : nullptr;
    if (!encoder) {
        return false;
    }
    std::string characters;
    decoder->run(input, code_unit_width(from_charset), characters);
    encoder->run(characters, 4, out);
    return true;
}

namespace backend {

bool utf8_to_gbk(std::string_view utf8, Text& gbk_text) {
    Converter converter("UTF-8", "GBK");
    return converter.valid() && converter.run(utf8, std::nullopt, gbk_text);
}

std::u16string gbk_to_utf16(std::string_view gbk_text) {
    std::string bytes;
    convert_charset(gbk_text, kGbk, "UTF-16LE", bytes);
    std::u16string wide(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return wide;
}

Text utf16_to_gbk(std::u16string_view wide) {
    std::string bytes(wide.size() * 2, '\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<char>(wide[i] & 0xff);
        bytes[2 * i + 1] = static_cast<char>(wide[i] >> 8);
    }
    Text text;
    convert_charset(bytes, "UTF-16LE", kGbk, text);
    return text;
}

}  // namespace backend

}  // namespace velmora
