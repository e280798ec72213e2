// GBK's user-defined areas and the cells its standard leaves empty, which code page 936
// maps one to one onto the private-use characters U+E000..U+E864 and iconv's GBK does not
// know. Text typed with a user-defined character must keep it, and an unknown pair must
// not be read as its trail byte followed by whatever comes next.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

struct GbkPair {
    unsigned char lead;
    unsigned char trail;
};

std::optional<char32_t> gbk_private_use_character(GbkPair pair);
std::optional<GbkPair> gbk_private_use_pair(char32_t character);

}  // namespace velmora
