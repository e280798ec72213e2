#include "base/system/autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/system/atomic_file.h"
#include "base/system/run_directory.h"

namespace velmora {

namespace {

std::string autostart_folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::string(config) + "/autostart";
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] != '\0' ? std::string(home) + "/.config/autostart" : "";
}

std::string entry_path() {
    const std::string folder = autostart_folder();
    return folder.empty() ? "" : folder + "/velmora.desktop";
}

// An Exec= argument: quoted, with the characters the desktop-entry rules reserve
// escaped, when it holds any of them; as it is otherwise.
std::string exec_argument(const std::string& path) {
    if (path.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos) {
        return path;
    }
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

bool make_folders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

}  // namespace

bool starts_at_logon() {
    const std::string path = entry_path();
    struct stat status;
    return !path.empty() && ::stat(path.c_str(), &status) == 0;
}

bool set_starts_at_logon(bool on) {
    const std::string path = entry_path();
    const std::string executable = executable_path();
    if (path.empty() || (on && executable.empty())) {
        return false;
    }
    if (!on) {
        return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    }
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Velmora\n"
        "Comment=Keeps DNS records on this machine's public address\n"
        "Exec=" +
        exec_argument(executable) +
        " --minimized\n"
        "Icon=velmora\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    return make_folders(autostart_folder()) && replace_file_atomically(path, entry);
}

}  // namespace velmora
