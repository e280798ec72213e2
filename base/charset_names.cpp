#include "base/charset_names.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace velmora {

bool is_gbk_name(std::string_view charset) {
    static constexpr std::array<std::string_view, 16> gbk_names = {
        "gbk",     "x-gbk",     "cp936",      "ms936",    "windows-936",     "gb2312",
        "gb_2312", "gb2312-80", "gb_2312-80", "csgb2312", "csiso58gb231280", "iso-ir-58",
        "chinese", "euc-cn",    "euccn",      "cn-gb"};
    return std::any_of(gbk_names.begin(), gbk_names.end(), [charset](std::string_view name) {
        return std::equal(
            charset.begin(), charset.end(), name.begin(), name.end(),
            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    });
}

}  // namespace velmora
