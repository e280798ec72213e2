#include "app/win32/message_box.h"

#include <utility>

#include "base/controls/guarded_handler.h"
#include "base/win32/wide_text.h"

namespace velmora {

namespace {

// The test seam: set by tests, read by every box.
GuardedHandler<MessageBoxPresenter>& presenter_slot() {
    static GuardedHandler<MessageBoxPresenter> slot;
    return slot;
}

int answer_code(int answer) {
    switch (answer) {
        case IDCANCEL:
            return 1;
        case IDABORT:
            return 2;
        case IDRETRY:
            return 3;
        case IDIGNORE:
            return 4;
        case IDYES:
            return 5;
        case IDNO:
            return 6;
        default:
            return 0;
    }
}

}  // namespace

void set_message_box_presenter(MessageBoxPresenter presenter) {
    presenter_slot().set(std::move(presenter));
}

int show_message_box(HWND owner, const Text& message, int flags, const Text& caption) {
    UINT style = static_cast<UINT>(flags);
    if ((style & MB_SYSTEMMODAL) == 0) {
        style |= MB_TASKMODAL;
    }
    const MessageBoxPresenter presenter = presenter_slot().get();
    // The box takes the cursor over; a wait cursor set for a login would otherwise stay
    // over the window the box covers until the login ends.
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    int answer = presenter ? presenter(owner, message, caption, style)
                           : MessageBoxW(owner, wide_text(message).c_str(),
                                         wide_text(caption).c_str(), style);
    SetCursor(previous);
    return answer_code(answer);
}

}  // namespace velmora
