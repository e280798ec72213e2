#include "base/system/local_text.h"

#include "base/gbk.h"

namespace velmora {

std::string local_text_line(const Text& line) {
    std::string utf8;
    convert_charset(line, "GBK", "UTF-8", utf8);
    return utf8 + "\n";
}

}  // namespace velmora
