#include "base/system/run_directory.h"

#include <unistd.h>

#include <vector>

namespace velmora {

Text executable_path() {
    std::vector<char> buffer(256);
    while (true) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return Text(buffer.data(), static_cast<size_t>(length));
        }
        buffer.resize(buffer.size() * 2);  // possibly cut: try again with more room
    }
}

Text run_directory() {
    const Text path = executable_path();
    const size_t slash = path.rfind('/');
    return slash == Text::npos ? Text() : path.substr(0, slash);
}

}  // namespace velmora
