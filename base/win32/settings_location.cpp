#include "base/system/settings_location.h"

#include <windows.h>

#include "base/system/run_directory.h"
#include "base/win32/wide_text.h"

namespace velmora {

SettingsLocation settings_location(const Text& executable_directory) {
    // A folder whose path has no GBK form names no settings file: nothing is then read
    // or saved, rather than another file being read or written.
    if (executable_directory.empty()) {
        return {{}, {}, false, {}};
    }
    return {executable_directory, executable_directory + "\\velmora.ini", true, {}};
}

SettingsLocation settings_location_of_file(const Text& file) {
    const std::size_t separator = file.find_last_of("\\/");
    Text directory = separator == Text::npos ? Text(".") : file.substr(0, separator);
    const DWORD attributes =
        GetFileAttributesW(wide_text(directory.empty() ? "\\" : directory).c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                        (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    return {directory, file, folder, {}};
}

SettingsLocation system_settings_location() {
    return settings_location(run_directory());
}

}  // namespace velmora
