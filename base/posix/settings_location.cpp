#include "base/system/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "base/posix/user_folders.h"
#include "base/system/atomic_file.h"

namespace velmora {

namespace {

bool is_regular_file(const Text& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// A settings file left beside the executable by an older install is copied once, into
// a folder that has none yet; the original is left alone, an older program may use it.
// The copy is private to the user whatever the original's mode, as it holds the token.
void carry_over(const Text& old_file, const Text& file) {
    struct stat status;
    if (::lstat(file.c_str(), &status) == 0 || errno != ENOENT || !is_regular_file(old_file)) {
        return;
    }
    const std::optional<std::string> content = read_whole_file(old_file);
    if (content) {
        replace_file_atomically(file, *content);
    }
}

}  // namespace

SettingsLocation settings_location(const Text& executable_directory) {
    const std::optional<Text> home = posix::config_home();
    if (!home) {
        return {{}, {}, false, {}};
    }
    SettingsLocation location{*home + "/velmora", *home + "/velmora/velmora.ini", false, {}};
    location.kept = posix::make_private_directories(location.directory) &&
                    ::access(location.directory.c_str(), W_OK | X_OK) == 0;
    if (location.kept) {
        carry_over(executable_directory + "/velmora.ini", location.settings_file);
    }
    return location;
}

SettingsLocation settings_location_of_file(const Text& file) {
    Text path = file;
    if (!path.starts_with('/')) {
        char* here = ::getcwd(nullptr, 0);
        if (here != nullptr) {
            path = posix::without_trailing_slashes(here) + "/" + path;
            std::free(here);
        }
    }
    const std::size_t slash = path.rfind('/');
    SettingsLocation location;
    location.directory = slash == 0 || slash == Text::npos ? Text("/") : path.substr(0, slash);
    location.settings_file = path;
    location.kept = ::access(location.directory.c_str(), W_OK) == 0;
    return location;
}

SettingsLocation system_settings_location() {
    SettingsLocation location;
    location.directory = "/etc/velmora";
    location.settings_file = "/etc/velmora/velmora.ini";
    // Under the hardened unit /etc is read-only and that is expected: the service only
    // reads its settings, and its history goes where it may write.
    location.kept = true;
    location.history_file = "/var/lib/velmora/velmora.log";
    return location;
}

}  // namespace velmora
