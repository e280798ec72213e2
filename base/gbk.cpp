#include "base/gbk.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "base/backend.h"

namespace velmora {

const Text& gbk(Utf8Literal literal) {
    // Keyed by address and length: the same literal always yields the same reference.
    // Node-based map, so references handed out stay valid when it grows.
    const std::string_view utf8_literal = literal.view();
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
    if (!backend::utf8_to_gbk(utf8_literal, converted)) {
        std::fprintf(stderr, "gbk: literal not convertible to GBK: %.*s\n",
                     static_cast<int>(utf8_literal.size()), utf8_literal.data());
        std::abort();
    }
    return cache.emplace(key, std::move(converted)).first->second;
}

namespace {

bool is_ascii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

// ASCII reads the same in GBK and UTF-16, and most texts crossing this edge (URLs, header
// blocks, replies) are ASCII: those are widened or narrowed without a conversion.
std::u16string to_wide(const Text& text) {
    if (is_ascii(text)) {
        return std::u16string(text.begin(), text.end());
    }
    return backend::gbk_to_utf16(text);
}

Text from_wide(std::u16string_view wide) {
    if (std::all_of(wide.begin(), wide.end(), [](char16_t unit) { return unit < 0x80; })) {
        return Text(wide.begin(), wide.end());
    }
    return backend::utf16_to_gbk(wide);
}

}  // namespace velmora
