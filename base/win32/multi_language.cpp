#include "base/win32/multi_language.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mlang.h>

#include <limits>

namespace velmora {

namespace {

// The import library names the class but not this interface.
constexpr IID kMultiLanguage2 = {
    0xdccfc164, 0x2b38, 0x11d2, {0xb7, 0xec, 0x00, 0xc0, 0x4f, 0x8f, 0x5d, 0x9a}};

// One use of the service, with the component library entered and left around it on the
// calling thread.
class MultiLanguage {
  public:
    MultiLanguage() : entered_(SUCCEEDED(CoInitialize(nullptr))) {
        if (FAILED(CoCreateInstance(CLSID_CMultiLanguage, nullptr, CLSCTX_INPROC_SERVER,
                                    kMultiLanguage2, reinterpret_cast<void**>(&service_)))) {
            service_ = nullptr;
        }
    }
    ~MultiLanguage() {
        if (service_) {
            service_->Release();
        }
        if (entered_) {
            CoUninitialize();
        }
    }
    MultiLanguage(const MultiLanguage&) = delete;
    MultiLanguage& operator=(const MultiLanguage&) = delete;

    IMultiLanguage2* service() const { return service_; }

  private:
    bool entered_;
    IMultiLanguage2* service_ = nullptr;
};

// Every encoding takes at least one byte per UTF-16 unit, and the ISO-2022 family at most
// an escape sequence and two bytes.
constexpr std::size_t kLongestEncodedUnit = 8;

bool fits_uint(std::size_t size) {
    return size <= std::numeric_limits<UINT>::max() / kLongestEncodedUnit;
}

}  // namespace

std::optional<unsigned> multi_language_code_page(std::string_view charset) {
    std::wstring name;
    for (char c : charset) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return std::nullopt;
        }
        name += static_cast<wchar_t>(c);
    }
    const MultiLanguage languages;
    if (!languages.service()) {
        return std::nullopt;
    }
    std::optional<unsigned> code_page;
    BSTR text = SysAllocString(name.c_str());
    MIMECSETINFO info{};
    if (text != nullptr && SUCCEEDED(languages.service()->GetCharsetInfo(text, &info))) {
        code_page = info.uiInternetEncoding;
    }
    SysFreeString(text);
    return code_page;
}

std::optional<std::u16string> multi_language_decode(unsigned code_page, std::string_view bytes) {
    const MultiLanguage languages;
    if (!languages.service() || !fits_uint(bytes.size())) {
        return std::nullopt;
    }
    std::u16string out(bytes.size(), u'\0');
    DWORD mode = 0;
    UINT taken = static_cast<UINT>(bytes.size());
    UINT made = static_cast<UINT>(out.size());
    if (languages.service()->ConvertStringToUnicode(
            &mode, code_page, const_cast<CHAR*>(bytes.data()), &taken,
            reinterpret_cast<WCHAR*>(out.data()), &made) != S_OK) {
        return std::nullopt;
    }
    out.resize(made);
    return out;
}

std::optional<std::string> multi_language_encode(unsigned code_page, std::u16string_view wide) {
    const MultiLanguage languages;
    if (!languages.service() || !fits_uint(wide.size())) {
        return std::nullopt;
    }
    std::string out(wide.size() * kLongestEncodedUnit, '\0');
    DWORD mode = 0;
    UINT taken = static_cast<UINT>(wide.size());
    UINT made = static_cast<UINT>(out.size());
    if (languages.service()->ConvertStringFromUnicode(
            &mode, code_page, reinterpret_cast<WCHAR*>(const_cast<char16_t*>(wide.data())), &taken,
            out.data(), &made) != S_OK) {
        return std::nullopt;
    }
    out.resize(made);
    return out;
}

}  // namespace velmora
