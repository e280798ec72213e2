// The run options' check items (app/window/option_item.h) in a Win32 menu: the tray icon's, or
// the window's system menu where the desktop has no notification area. Each item shows
// the option's state as it is when the menu opens.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "app/window/option_item.h"

namespace velmora {

// The command of item `index`: a multiple of 16 below the system's own commands, as the
// system menu needs (it keeps the four low bits of WM_SYSCOMMAND for itself).
UINT option_command(std::size_t index);

// Appends the items, each checked as its option is now and with its note (shown_caption).
void append_option_items(HMENU menu, const OptionItems& items);
// Checks each item of `menu` as its option is now, and gives it its caption of now.
void check_option_items(HMENU menu, const OptionItems& items);
// Turns the option whose command `command` is; false when it is none of theirs.
bool choose_option_item(const OptionItems& items, UINT command);

// A line a menu shows for information only, greyed, its caption (GBK) read each time the
// menu opens: the service's state, which only an administrator may change.
using StatusLine = std::function<Text()>;
// Appends a separator and the line; nothing without a line.
void append_status_line(HMENU menu, const StatusLine& line);
// Sets the line's caption as it is now.
void update_status_line(HMENU menu, const StatusLine& line);

}  // namespace velmora
