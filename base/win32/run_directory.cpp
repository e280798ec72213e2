#include "base/run_directory.h"

#include <windows.h>

#include <vector>

namespace velmora {

// The ANSI form of the module's path is the code page's bytes, as the settings path and
// every file call of the program expect.
Text run_directory() {
    std::vector<char> buffer(MAX_PATH);
    while (true) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            Text path(buffer.data(), length);
            const size_t separator = path.find_last_of("\\/");
            return separator == Text::npos ? Text() : path.substr(0, separator);
        }
        buffer.resize(buffer.size() * 2);  // cut: try again with more room
    }
}

}  // namespace velmora
