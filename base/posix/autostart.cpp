#include "base/system/autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "base/posix/user_folders.h"
#include "base/system/atomic_file.h"
#include "base/system/run_directory.h"

namespace velmora {

namespace {

std::string autostart_folder() {
    const std::optional<Text> config = posix::config_home();
    return config ? *config + "/autostart" : "";
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
    return posix::make_private_directories(autostart_folder()) &&
           replace_file_atomically(path, entry);
}

}  // namespace velmora
