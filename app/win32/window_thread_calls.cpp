#include "app/win32/window_thread_calls.h"

namespace velmora {

namespace {

constexpr UINT kRunQueued = WM_APP + 1;
constexpr char kReceiverClass[] = "VelmoraWindowThreadCalls";

ATOM receiver_class(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        WNDCLASSEXA description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = procedure;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = kReceiverClass;
        return RegisterClassExA(&description);
    }();
    return atom;
}

}  // namespace

WindowThreadCalls::WindowThreadCalls()
    : WindowCallQueue([this] { return GetCurrentThreadId() == window_thread_; },
                      [this] {
                          return receiver_ != nullptr &&
                                 PostMessageA(receiver_, kRunQueued, 0, 0) != FALSE;
                      }) {
    receiver_class(&WindowThreadCalls::procedure);
    receiver_ = CreateWindowExA(0, kReceiverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (receiver_ != nullptr) {
        SetWindowLongPtrA(receiver_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

WindowThreadCalls::~WindowThreadCalls() {
    begin_shutdown();
    if (receiver_ != nullptr) {
        DestroyWindow(receiver_);
    }
}

LRESULT CALLBACK WindowThreadCalls::procedure(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    if (message == kRunQueued) {
        if (auto* calls =
                reinterpret_cast<WindowThreadCalls*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
            calls->run_queued();
        }
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace velmora
