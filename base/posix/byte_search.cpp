#include <string.h>

#include "base/backend.h"

namespace velmora::backend {

std::string_view::size_type find_bytes(std::string_view text, std::string_view needle,
                                       std::string_view::size_type from) {
    if (from > text.size()) {
        return std::string_view::npos;
    }
    const void* found =
        memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return found == nullptr ? std::string_view::npos
                            : static_cast<std::string_view::size_type>(
                                  static_cast<const char*>(found) - text.data());
}

}  // namespace velmora::backend
