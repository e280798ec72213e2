#include "base/system/plain_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace velmora {

bool append_to_file(const Text& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    bool written = true;
    while (written && !bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        written = count > 0;
        if (written) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
        }
    }
    // A full disk may only show when the data is flushed.
    written = ::fdatasync(fd) == 0 && written;
    return ::close(fd) == 0 && written;
}

std::optional<std::uint64_t> file_size(const Text& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

bool rename_file(const Text& from, const Text& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace velmora
