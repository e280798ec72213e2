#include "base/backend.h"

namespace velmora::backend {

// The C runtime has no memmem.
std::string_view::size_type find_bytes(std::string_view text, std::string_view needle,
                                       std::string_view::size_type from) {
    return text.find(needle, from);
}

}  // namespace velmora::backend
