// Code pages through the platform's conversion calls: GBK is code page 936.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/backend.h"
#include "base/gbk.h"
#include "base/win32/charset_code_page.h"
#include "base/win32/multi_language.h"

namespace velmora {

namespace {

constexpr UINT kGbk = 936;
constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;
constexpr size_t kLongestCharacter = 4;  // bytes of one character in any multibyte code page

// Appends the characters of `bytes` read in `code_page` with `flags`, or false (the
// platform's last error says why) when the platform does not convert them so.
bool decode_with(UINT code_page, DWORD flags, std::string_view bytes, std::u16string& out) {
    if (bytes.empty()) {
        return true;
    }
    const int size = static_cast<int>(bytes.size());
    int length = MultiByteToWideChar(code_page, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(length));
    MultiByteToWideChar(code_page, flags, bytes.data(), size,
                        reinterpret_cast<wchar_t*>(out.data() + start), length);
    return true;
}

// Appends the characters of `bytes` read in `code_page`, or false when the bytes are not
// exactly one run of valid characters.
bool decode_exactly(UINT code_page, std::string_view bytes, std::u16string& out) {
    return decode_with(code_page, MB_ERR_INVALID_CHARS, bytes, out);
}

// The platform turns bytes it cannot read into a default character; ours are skipped,
// so text that fails as a whole is read one character at a time.
std::u16string decode_skipping(UINT code_page, std::string_view bytes) {
    std::u16string out;
    while (!bytes.empty()) {
        size_t taken = 1;  // a byte that starts no character is skipped alone
        for (size_t length = 1; length <= std::min(kLongestCharacter, bytes.size()); ++length) {
            if (decode_exactly(code_page, bytes.substr(0, length), out)) {
                taken = length;
                break;
            }
        }
        bytes.remove_prefix(taken);
    }
    return out;
}

// Shifting encodings (UTF-7, the ISO-2022 family, HZ) refuse the strict flags and convert
// with the flags they take; a platform whose code-page calls do not know one at all may
// still convert it through its multi-language service. Otherwise nothing comes back.
std::u16string decode(UINT code_page, std::string_view bytes) {
    std::u16string out;
    if (code_page == kUtf16Le || code_page == kUtf16Be) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto first = static_cast<unsigned char>(bytes[i]);
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            out += static_cast<char16_t>(code_page == kUtf16Le ? first | second << 8
                                                               : first << 8 | second);
        }
        return out;
    }
    if (decode_exactly(code_page, bytes, out)) {
        return out;
    }
    const DWORD refused = GetLastError();
    if (refused == ERROR_NO_UNICODE_TRANSLATION) {
        return decode_skipping(code_page, bytes);
    }
    if (refused == ERROR_INVALID_FLAGS && decode_with(code_page, 0, bytes, out)) {
        return out;
    }
    return multi_language_decode(code_page, bytes).value_or(std::u16string());
}

enum class Encoded { exactly, with_defaults, refused };

// Appends `wide` in `code_page` when every character has a form there.
Encoded encode_exactly(UINT code_page, std::u16string_view wide, std::string& out) {
    if (wide.empty()) {
        return Encoded::exactly;
    }
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int size = static_cast<int>(wide.size());
    // The UTF code pages refuse the default-character query and report errors instead.
    const bool utf = code_page == CP_UTF8 || code_page == CP_UTF7;
    BOOL defaulted = FALSE;
    BOOL* defaulted_query = utf ? nullptr : &defaulted;
    const DWORD flags = code_page == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
    int length =
        WideCharToMultiByte(code_page, flags, units, size, nullptr, 0, nullptr, defaulted_query);
    if (length <= 0) {
        return code_page == CP_UTF8 && GetLastError() == ERROR_NO_UNICODE_TRANSLATION
                   ? Encoded::with_defaults
                   : Encoded::refused;
    }
    if (defaulted) {
        return Encoded::with_defaults;
    }
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(length));
    WideCharToMultiByte(code_page, flags, units, size, out.data() + start, length, nullptr,
                        nullptr);
    return Encoded::exactly;
}

// Without the strict query, for the code pages that refuse it (the ISO-2022 family).
bool encode_plainly(UINT code_page, std::u16string_view wide, std::string& out) {
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(code_page, 0, units, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return false;
    }
    out.resize(static_cast<size_t>(length));
    WideCharToMultiByte(code_page, 0, units, size, out.data(), length, nullptr, nullptr);
    return true;
}

std::string encode(UINT code_page, std::u16string_view wide) {
    std::string out;
    if (code_page == kUtf16Le || code_page == kUtf16Be) {
        for (char16_t unit : wide) {
            const char low = static_cast<char>(unit & 0xff);
            const char high = static_cast<char>(unit >> 8);
            out += code_page == kUtf16Le ? std::string{low, high} : std::string{high, low};
        }
        return out;
    }
    switch (encode_exactly(code_page, wide, out)) {
        case Encoded::exactly:
            return out;
        case Encoded::refused:
            if (encode_plainly(code_page, wide, out)) {
                return out;
            }
            return multi_language_encode(code_page, wide).value_or(std::string());
        case Encoded::with_defaults:
            break;
    }
    // Characters without a form here are skipped, one character at a time.
    while (!wide.empty()) {
        const bool pair =
            wide.size() >= 2 && IS_HIGH_SURROGATE(wide[0]) && IS_LOW_SURROGATE(wide[1]);
        const size_t taken = pair ? 2 : 1;
        encode_exactly(code_page, wide.substr(0, taken), out);
        wide.remove_prefix(taken);
    }
    return out;
}

}  // namespace

bool convert_charset(std::string_view input, const char* from_charset, const char* to_charset,
                     std::string& out) {
    out.clear();
    const auto from = charset_code_page(from_charset);
    const auto to = charset_code_page(to_charset);
    if (!from || !to) {
        return false;
    }
    out = encode(*to, decode(*from, input));
    return true;
}

namespace backend {

bool utf8_to_gbk(std::string_view utf8, Text& gbk_text) {
    std::u16string wide;
    gbk_text.clear();
    return decode_exactly(CP_UTF8, utf8, wide) &&
           encode_exactly(kGbk, wide, gbk_text) == Encoded::exactly;
}

std::u16string gbk_to_utf16(std::string_view gbk_text) {
    return decode(kGbk, gbk_text);
}

Text utf16_to_gbk(std::u16string_view wide) {
    return encode(kGbk, wide);
}

}  // namespace backend

}  // namespace velmora
