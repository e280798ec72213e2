#include "base/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace velmora {

namespace {

// One conversion descriptor per call: a descriptor carries shift state and must not be
// shared between threads, and conversions are short enough that opening one is cheap.
class Converter {
  public:
    Converter(const char* from_charset, const char* to_charset)
        : descriptor_(iconv_open(to_charset, from_charset)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(descriptor_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`. With `skip_invalid`, a byte that cannot be converted (or
    // an incomplete sequence at the end) is dropped and conversion goes on; without it,
    // such a byte makes the conversion fail.
    bool run(std::string_view input, bool skip_invalid, std::string& out) {
        out.clear();
        char* in_ptr = const_cast<char*>(input.data());
        size_t in_left = input.size();
        char buffer[4096];
        while (true) {
            char* out_ptr = buffer;
            size_t out_left = sizeof buffer;
            // A null input on the last round flushes any pending shift sequence.
            size_t result = in_left > 0 ? iconv(descriptor_, &in_ptr, &in_left, &out_ptr, &out_left)
                                        : iconv(descriptor_, nullptr, nullptr, &out_ptr, &out_left);
            out.append(buffer, static_cast<size_t>(out_ptr - buffer));
            if (result != static_cast<size_t>(-1)) {
                if (in_left == 0 && in_ptr != nullptr) {
                    in_ptr = nullptr;  // input consumed: one more round to flush
                    continue;
                }
                return true;
            }
            if (errno == E2BIG) {
                continue;
            }
            if (!skip_invalid) {
                return false;
            }
            if (errno == EILSEQ && in_left > 0) {
                ++in_ptr;
                --in_left;
                continue;
            }
            // EINVAL: an incomplete sequence at the end of the input; drop it.
            in_left = 0;
        }
    }

  private:
    iconv_t descriptor_;
};

}  // namespace

const Text& gbk(std::string_view utf8_literal) {
    // Keyed by address and length: the same literal always yields the same reference.
    // Node-based map, so references handed out stay valid when it grows.
    struct Key {
        const char* data;
        size_t size;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const {
            return std::hash<const void*>()(key.data) ^ (key.size * 0x9e3779b97f4a7c15ULL);
        }
    };
    static std::mutex mutex;
    static std::unordered_map<Key, Text, KeyHash> cache;

    std::lock_guard lock(mutex);
    Key key{utf8_literal.data(), utf8_literal.size()};
    auto found = cache.find(key);
    if (found != cache.end()) {
        return found->second;
    }
    Text converted;
    Converter converter("UTF-8", "GBK");
    if (!converter.valid() || !converter.run(utf8_literal, false, converted)) {
        std::fprintf(stderr, "gbk: literal not convertible to GBK: %.*s\n",
                     static_cast<int>(utf8_literal.size()), utf8_literal.data());
        std::abort();
    }
    return cache.emplace(key, std::move(converted)).first->second;
}

bool convert_charset(std::string_view input, const char* from_charset, const char* to_charset,
                     std::string& out) {
    out.clear();
    Converter converter(from_charset, to_charset);
    if (!converter.valid()) {
        return false;
    }
    converter.run(input, true, out);
    return true;
}

std::u16string to_wide(const Text& text) {
    std::string bytes;
    convert_charset(text, "GBK", "UTF-16LE", bytes);
    std::u16string wide(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return wide;
}

Text from_wide(std::u16string_view wide) {
    std::string bytes(wide.size() * 2, '\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<char>(wide[i] & 0xff);
        bytes[2 * i + 1] = static_cast<char>(wide[i] >> 8);
    }
    Text text;
    convert_charset(bytes, "UTF-16LE", "GBK", text);
    return text;
}

}  // namespace velmora
