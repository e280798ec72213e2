#include "base/win32/charset_code_page.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mlang.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/charset_names.h"

namespace velmora {

namespace {

// The import library names the class but not this interface.
constexpr IID kMultiLanguage2 = {
    0xdccfc164, 0x2b38, 0x11d2, {0xb7, 0xec, 0x00, 0xc0, 0x4f, 0x8f, 0x5d, 0x9a}};

bool same_ascii_name(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
    });
}

// The platform's charset lookup, with the component library entered and left around the
// call on the calling thread.
std::optional<unsigned> look_up(std::string_view charset) {
    std::wstring name;
    for (char c : charset) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return std::nullopt;
        }
        name += static_cast<wchar_t>(c);
    }
    std::optional<unsigned> code_page;
    const HRESULT entered = CoInitialize(nullptr);
    IMultiLanguage2* languages = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_CMultiLanguage, nullptr, CLSCTX_INPROC_SERVER,
                                   kMultiLanguage2, reinterpret_cast<void**>(&languages)))) {
        BSTR text = SysAllocString(name.c_str());
        MIMECSETINFO info{};
        if (text != nullptr && SUCCEEDED(languages->GetCharsetInfo(text, &info))) {
            code_page = info.uiInternetEncoding;
        }
        SysFreeString(text);
        languages->Release();
    }
    if (SUCCEEDED(entered)) {
        CoUninitialize();
    }
    return code_page;
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
    return known.emplace(std::string(name), look_up(name)).first->second;
}

}  // namespace velmora
