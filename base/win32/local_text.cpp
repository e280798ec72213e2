#include "base/system/local_text.h"

namespace velmora {

std::string local_text_line(const Text& line) {
    return line + "\r\n";
}

}  // namespace velmora
