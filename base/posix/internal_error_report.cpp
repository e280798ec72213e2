#include <cstdio>
#include <string>

#include "base/backend.h"
#include "base/gbk.h"

namespace velmora::backend {

// The terminal speaks UTF-8, not GBK.
void show_internal_error(const Text& message) {
    std::string utf8;
    convert_charset(message, "GBK", "UTF-8", utf8);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

}  // namespace velmora::backend
