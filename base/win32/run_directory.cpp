#include "base/system/run_directory.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/text.h"
#include "base/win32/wide_text.h"

namespace velmora {

// Read in UTF-16: the ANSI form of the path holds the system's code page, which is GBK
// only on a Chinese Windows, and loses every character that code page lacks.
Text executable_path() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return gbk_path(buffer);
        }
        buffer.resize(buffer.size() * 2);  // cut: try again with more room
    }
}

Text run_directory() {
    const Text path = executable_path();
    // Walked character by character: a backslash byte may end a GBK character.
    const int separator = std::max(find_last_text(path, "\\"), find_last_text(path, "/"));
    return separator < 1 ? Text() : text_left(path, separator - 1);
}

}  // namespace velmora
