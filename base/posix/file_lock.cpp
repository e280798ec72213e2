#include "base/system/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace velmora {

std::optional<FileLock> FileLock::take(const Text& path, Refusal* refusal) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        if (refusal != nullptr) {
            *refusal = Refusal::cannot_open;
        }
        return std::nullopt;
    }
    // The kernel lets go of it when the process ends, however it ends.
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        if (refusal != nullptr) {
            *refusal = Refusal::held;
        }
        return std::nullopt;
    }
    return FileLock(descriptor);
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FileLock::~FileLock() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

Text runtime_lock_directory() {
    for (const char* name : {"RUNTIME_DIRECTORY", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] == '/') {
            // systemd may list several folders, separated by colons; the first is ours.
            const Text folders = value;
            return folders.substr(0, folders.find(':'));
        }
    }
    return {};
}

}  // namespace velmora
