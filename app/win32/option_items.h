// The run options as check items of a menu: the tray icon's, or the window's system menu
// where the desktop has no notification area. Each item shows the option's state as it is
// when the menu opens (start at logon: whether the platform's entry exists).
#pragma once

#include <windows.h>

#include <cstddef>
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

// The command of item `index`: a multiple of 16 below the system's own commands, as the
// system menu needs (it keeps the four low bits of WM_SYSCOMMAND for itself).
UINT option_command(std::size_t index);

// Appends the items, each checked as its option is now.
void append_option_items(HMENU menu, const OptionItems& items);
// Checks each item of `menu` as its option is now.
void check_option_items(HMENU menu, const OptionItems& items);
// Turns the option whose command `command` is; false when it is none of theirs.
bool choose_option_item(const OptionItems& items, UINT command);

}  // namespace velmora
