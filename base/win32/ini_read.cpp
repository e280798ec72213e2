#include "base/backend.h"
#include "base/ini_file.h"

namespace velmora::backend {

// Not the platform's private-profile reader: it decodes a file without a byte-order mark
// in the system's ANSI code page, so on any Windows but a Chinese one it cannot find the
// GBK sections and keys of velmora.ini, and its ANSI form cannot take a path holding
// characters of another code page. Our reader follows the same rules on the file's bytes,
// which it opens by the path's UTF-16 form.
Text read_profile_string(const Text& path, const Text& section, const Text& key,
                         const Text& default_value) {
    return read_ini_item_portably(path, section, key, default_value);
}

}  // namespace velmora::backend
