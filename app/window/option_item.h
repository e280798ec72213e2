// A run option as the check item of a menu, the same on both windows: the tray icon's
// menu, or the window's own menu where the desktop has no notification area.
#pragma once

#include <functional>
#include <vector>

#include "base/gbk.h"
#include "base/types.h"

namespace velmora {

struct OptionItem {
    Text caption;                    // GBK
    std::function<bool()> is_on;     // read each time a menu shows the item
    std::function<void(bool)> turn;  // the user chose the item: on when it showed off
    // Why the option could not be turned the way it was last asked, shown after the
    // caption; empty (or none) when there is nothing to say. Read each time too.
    std::function<Text()> note = {};
};
using OptionItems = std::vector<OptionItem>;

// What a menu shows for the item now.
inline Text shown_caption(const OptionItem& item) {
    const Text note = item.note ? item.note() : Text();
    return note.empty() ? item.caption : item.caption + gbk("（") + note + gbk("）");
}

}  // namespace velmora
