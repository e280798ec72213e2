#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/backend.h"

namespace velmora::backend {

// The buffer the program always gave the platform's reader: 10,239 bytes and a zero.
Text read_profile_string(const Text& path, const Text& section, const Text& key,
                         const Text& default_value) {
    std::vector<char> value(10240);
    const DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(), value.data(),
                                 static_cast<DWORD>(value.size()), path.c_str());
    // A cut value ends in a zero that the returned length counts; the text is what
    // comes before the first zero, as the program always read it.
    return Text(value.data(), std::find(value.data(), value.data() + length, '\0') - value.data());
}

}  // namespace velmora::backend
