// The run options as check items of a menu: the tray icon's, or the window's own context
// menu where the desktop has no notification area. Each item shows the option's current
// state whenever the menu opens (start at logon: whether the platform's entry exists).
#pragma once

#include <QMenu>

#include "app/session/session_core.h"

namespace velmora {

void add_option_items(QMenu& menu, SessionCore& core);

}  // namespace velmora
