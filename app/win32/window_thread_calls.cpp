#include "app/win32/window_thread_calls.h"

#include "app/win32/object_window.h"

namespace velmora {

namespace {

constexpr UINT kRunQueued = WM_APP + 1;
constexpr wchar_t kReceiverClass[] = L"VelmoraWindowThreadCalls";

}  // namespace

WindowThreadCalls::WindowThreadCalls()
    : WindowCallQueue([this] { return GetCurrentThreadId() == window_thread_; },
                      [this] {
                          return receiver_ != nullptr &&
                                 PostMessageW(receiver_, kRunQueued, 0, 0) != FALSE;
                      }) {
    register_window_class(kReceiverClass, &object_window_procedure<WindowThreadCalls>);
    CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                    GetModuleHandleW(nullptr), this);
}

WindowThreadCalls::~WindowThreadCalls() {
    begin_shutdown();
    if (receiver_ != nullptr) {
        DestroyWindow(receiver_);
    }
}

LRESULT WindowThreadCalls::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kRunQueued) {
        run_queued();
        return 0;
    }
    return DefWindowProcW(receiver_, message, wparam, lparam);
}

}  // namespace velmora
