#include "base/win32/wide_text.h"

#include <windows.h>

#include "base/gbk.h"

namespace velmora {

namespace {

// The GBK form of `wide`, when converting it back gives every character again.
bool convert_whole(const std::wstring& wide, Text& out) {
    out = text_from_wide(wide);
    return wide_text(out) == wide;
}

}  // namespace

std::wstring wide_text(const Text& text) {
    const std::u16string wide = to_wide(text);
    return std::wstring(wide.begin(), wide.end());
}

Text text_from_wide(std::wstring_view wide) {
    return from_wide(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

Text gbk_path(const std::wstring& path) {
    Text converted;
    if (convert_whole(path, converted)) {
        return converted;
    }
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring short_path(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), short_path.data(), size);
    if (length == 0 || length >= size) {
        return {};
    }
    short_path.resize(length);
    return convert_whole(short_path, converted) ? converted : Text();
}

}  // namespace velmora
