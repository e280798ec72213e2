// A run option as the check item of a menu, the same on both windows: the tray icon's
// menu, or the window's own menu where the desktop has no notification area.
#pragma once

#include <functional>
#include <vector>

#include "base/types.h"

namespace velmora {

struct OptionItem {
    Text caption;                    // GBK
    std::function<bool()> is_on;     // read each time a menu shows the item
    std::function<void(bool)> turn;  // the user chose the item: on when it showed off
};
using OptionItems = std::vector<OptionItem>;

}  // namespace velmora
