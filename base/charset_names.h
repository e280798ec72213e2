// Charset names as replies and pages declare them.
#pragma once

#include <string_view>

namespace velmora {

// GB2312 is a subset of GBK, and pages that declare it routinely carry GBK-only
// characters (堃, 喆, 镕), which a strict GB2312 decoder turns into other characters.
// So every name of GB2312, and GBK's own aliases (any letter case), decode as GBK.
bool is_gbk_name(std::string_view charset);

}  // namespace velmora
