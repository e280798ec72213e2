#include "base/settings_location.h"

namespace velmora {

SettingsLocation settings_location(const Text& executable_directory) {
    return {executable_directory, executable_directory + "\\velmora.ini", true};
}

}  // namespace velmora
