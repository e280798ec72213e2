#include "base/run_directory.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/text.h"

namespace velmora {

Text executable_path() {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return from_wide(std::u16string(buffer.begin(), buffer.begin() + length));
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
