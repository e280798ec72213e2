#include "base/system/terminal_text.h"

#include <windows.h>

#include "base/gbk.h"

namespace velmora {

namespace {

constexpr UINT kGbk = 936;

// The code page of the console behind `stream`, or the ANSI code page when it is none.
UINT code_page_of(DWORD stream, UINT (*console_code_page)()) {
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(stream), &mode)) {
        if (const UINT code_page = console_code_page(); code_page != 0) {
            return code_page;
        }
    }
    return GetACP();
}

UINT output_code_page() {
    return code_page_of(STD_OUTPUT_HANDLE, [] { return GetConsoleOutputCP(); });
}

UINT input_code_page() {
    return code_page_of(STD_INPUT_HANDLE, [] { return GetConsoleCP(); });
}

// `bytes` from one code page to another; false when some byte or character does not
// convert whole (the platform would put a default character in its place).
bool convert_exactly(const std::string& bytes, UINT from, UINT to, std::string& out) {
    if (bytes.empty() || from == to) {
        out = bytes;
        return true;
    }
    const int size = static_cast<int>(bytes.size());
    const int length =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
    // UTF-8 and UTF-7 take no default-character flag and no used-default answer.
    const bool unicode_target = to == CP_UTF8 || to == CP_UTF7;
    BOOL lossy = FALSE;
    const int out_length = WideCharToMultiByte(to, 0, wide.data(), length, nullptr, 0, nullptr,
                                               unicode_target ? nullptr : &lossy);
    if (out_length <= 0 || lossy) {
        return false;
    }
    out.assign(static_cast<std::size_t>(out_length), '\0');
    WideCharToMultiByte(to, 0, wide.data(), length, out.data(), out_length, nullptr, nullptr);
    return true;
}

}  // namespace

Text text_from_terminal(const std::string& word) {
    Text text;
    return convert_exactly(word, input_code_page(), kGbk, text) ? text : word;
}

std::string text_for_terminal(const Text& text) {
    std::string local;
    // A character the terminal's code page lacks is shown as the platform shows it ("?").
    if (convert_exactly(text, kGbk, output_code_page(), local)) {
        return local;
    }
    const std::u16string wide = to_wide(text);
    const int length = static_cast<int>(wide.size());
    const auto* data = reinterpret_cast<const wchar_t*>(wide.data());
    const UINT code_page = output_code_page();
    local.assign(static_cast<std::size_t>(
                     WideCharToMultiByte(code_page, 0, data, length, nullptr, 0, nullptr, nullptr)),
                 '\0');
    WideCharToMultiByte(code_page, 0, data, length, local.data(), static_cast<int>(local.size()),
                        nullptr, nullptr);
    return local;
}

std::string local_text_for_terminal(const std::string& text) {
    return text_for_terminal(text);  // the platform's own text is GBK here
}

}  // namespace velmora
