#include "base/backend.h"
#include "base/ini_file.h"

namespace velmora::backend {

// Linux has no private-profile service; our reader follows its rules.
Text read_profile_string(const Text& path, const Text& section, const Text& key,
                         const Text& default_value) {
    return read_ini_item_portably(path, section, key, default_value);
}

}  // namespace velmora::backend
