#include "base/run_directory.h"

#include <windows.h>

#include <string>

#include "base/win32/wide_text.h"

namespace velmora {

// Read in UTF-16: the ANSI form of the path holds the system's code page, which is GBK
// only on a Chinese Windows, and loses every character that code page lacks.
Text run_directory() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            const size_t separator = buffer.find_last_of(L"\\/");
            return separator == std::wstring::npos ? Text() : gbk_path(buffer.substr(0, separator));
        }
        buffer.resize(buffer.size() * 2);  // cut: try again with more room
    }
}

}  // namespace velmora
