#include "base/run_directory.h"

#include <unistd.h>

#include <vector>

namespace velmora {

Text run_directory() {
    std::vector<char> buffer(256);
    while (true) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            Text path(buffer.data(), static_cast<size_t>(length));
            size_t slash = path.rfind('/');
            if (slash == Text::npos) {
                return {};
            }
            return path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);  // possibly cut: try again with more room
    }
}

}  // namespace velmora
