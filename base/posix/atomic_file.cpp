#include "base/system/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace velmora {

namespace {

bool write_all(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::string parent_directory(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to `path` must replace: the target of a symbolic link, else itself.
std::string resolve_link(const std::string& path) {
    struct stat link_status;
    if (lstat(path.c_str(), &link_status) != 0 || !S_ISLNK(link_status.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The rename that replaces a file needs only a writable directory, so the file's own
// permission is checked here: a file the user may not write keeps what its owner
// protected. The owner's write bit is looked at directly because root passes every
// access check. A file of another user is replaced only by root, which gives the new
// file the old one's owner and group (an administrator setting up a service's
// settings); anyone else would silently change its owner.
bool may_replace(const struct stat& file) {
    return (file.st_uid == ::geteuid() || ::geteuid() == 0) && (file.st_mode & S_IWUSR) != 0;
}

bool keep_owner(int fd, const struct stat& file) {
    return (file.st_uid == ::geteuid() && file.st_gid == ::getegid()) ||
           ::fchown(fd, file.st_uid, file.st_gid) == 0;
}

}  // namespace

std::optional<std::string> read_whole_file(const std::string& path, bool* missing) {
    if (missing != nullptr) {
        *missing = false;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (missing != nullptr) {
            *missing = errno == ENOENT;
        }
        return std::nullopt;
    }
    std::string content;
    char buffer[8192];
    while (true) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return content;
}

bool replace_file_atomically(const std::string& path, std::string_view content) {
    const std::string target = resolve_link(path);
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || !may_replace(existing))) {
        return false;
    }

    std::string temporary = target + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);  // created with mode 0600
    if (fd < 0) {
        return false;
    }
    bool written =
        (!exists || (keep_owner(fd, existing) && ::fchmod(fd, existing.st_mode & 07777) == 0)) &&
        write_all(fd, content) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; the file is already complete either way.
    int directory = ::open(parent_directory(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return true;
}

}  // namespace velmora
