// Message boxes in the platform's terms: style flags in, the pressed button out as
// 0 OK, 1 Cancel, 2 Abort, 3 Retry, 4 Ignore, 5 Yes, 6 No.
#pragma once

#include <windows.h>

#include <functional>

#include "base/types.h"

namespace velmora {

// Shows a box as MessageBoxW would and returns the platform's answer (IDOK, IDCANCEL, ...).
// The default is MessageBoxW with the texts in UTF-16; tests install one that answers
// without a user.
using MessageBoxPresenter =
    std::function<int(HWND owner, const Text& message, const Text& caption, UINT style)>;

// Replaces the presenter for the whole process; an empty function restores the default.
void set_message_box_presenter(MessageBoxPresenter presenter);

// Shows a box owned by `owner`, task-modal unless the system-modal bit (0x1000) is among
// the flags, and maps the answer (any other answer gives 0). While it is up the normal
// arrow shows, even during a login's wait cursor. Window thread only.
int show_message_box(HWND owner, const Text& message, int flags, const Text& caption);

}  // namespace velmora
