#include "base/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "base/atomic_file.h"

namespace velmora {

namespace {

Text without_trailing_slashes(Text path) {
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The user's configuration folder; the empty text when there is no home to put it in.
// A relative $XDG_CONFIG_HOME is not valid and is ignored, as the XDG rules say.
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

// Makes the absolute `path` and its missing parents. Each folder made is 0700 whatever
// the umask: these folders hold the API token. Folders that exist keep their mode.
bool make_directories(const Text& path) {
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
    const std::optional<Text> home = config_home();
    if (!home) {
        return {{}, {}, false, {}};
    }
    SettingsLocation location{*home + "/velmora", *home + "/velmora/velmora.ini", false, {}};
    location.kept = make_directories(location.directory) &&
                    ::access(location.directory.c_str(), W_OK | X_OK) == 0;
    if (location.kept) {
        carry_over(executable_directory + "/velmora.ini", location.settings_file);
    }
    return location;
}

}  // namespace velmora

namespace velmora {

SettingsLocation settings_location_of_file(const Text& file) {
    Text path = file;
    if (!path.starts_with('/')) {
        char* here = ::getcwd(nullptr, 0);
        if (here != nullptr) {
            path = without_trailing_slashes(here) + "/" + path;
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
