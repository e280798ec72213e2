#include "base/posix/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace velmora::posix {

Text without_trailing_slashes(Text path) {
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::optional<Text> config_home() {
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (configured != nullptr && configured[0] == '/') {
        return without_trailing_slashes(configured);
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* entry = ::getpwuid(::geteuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') {
        return std::nullopt;
    }
    return without_trailing_slashes(home) + "/.config";
}

bool make_private_directories(const Text& path) {
    size_t slash = 0;
    do {
        slash = path.find('/', slash + 1);
        const Text part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) == 0) {
            ::chmod(part.c_str(), 0700);
        } else if (errno != EEXIST) {
            return false;
        }
    } while (slash != Text::npos);
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace velmora::posix
