#include "base/win32/charset_code_page.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/charset_names.h"
#include "base/win32/multi_language.h"

namespace velmora {

namespace {

bool same_ascii_name(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
    });
}

}  // namespace

std::optional<unsigned> charset_code_page(const char* charset) {
    const std::string_view name(charset);
    if (is_gbk_name(name)) {
        return 936;
    }
    if (same_ascii_name(name, "UTF-16LE")) {
        return 1200;
    }
    if (same_ascii_name(name, "UTF-16BE")) {
        return 1201;
    }
    // Each lookup starts the component library; names come from replies, so the cache
    // of a thread is bounded.
    constexpr size_t kMaxNames = 32;
    thread_local std::unordered_map<std::string, std::optional<unsigned>> known;
    auto found = known.find(std::string(name));
    if (found != known.end()) {
        return found->second;
    }
    if (known.size() >= kMaxNames) {
        known.clear();
    }
    return known.emplace(std::string(name), multi_language_code_page(name)).first->second;
}

}  // namespace velmora
