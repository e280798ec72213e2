#include "base/system/settings_location.h"

namespace velmora {

SettingsLocation settings_location(const Text& executable_directory) {
    // A folder whose path has no GBK form names no settings file: nothing is then read
    // or saved, rather than another file being read or written.
    if (executable_directory.empty()) {
        return {{}, {}, false, {}};
    }
    return {executable_directory, executable_directory + "\\velmora.ini", true, {}};
}

}  // namespace velmora
