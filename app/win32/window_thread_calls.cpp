#include "app/win32/window_thread_calls.h"

namespace velmora {

namespace {

constexpr UINT kRunQueued = WM_APP + 1;
constexpr wchar_t kReceiverClass[] = L"VelmoraWindowThreadCalls";

ATOM receiver_class(WNDPROC procedure) {
    static const ATOM atom = [procedure] {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = procedure;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = kReceiverClass;
        return RegisterClassExW(&description);
    }();
    return atom;
}

}  // namespace

WindowThreadCalls::WindowThreadCalls()
    : WindowCallQueue([this] { return GetCurrentThreadId() == window_thread_; },
                      [this] {
                          return receiver_ != nullptr &&
                                 PostMessageW(receiver_, kRunQueued, 0, 0) != FALSE;
                      }) {
    receiver_class(&WindowThreadCalls::procedure);
    receiver_ = CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (receiver_ != nullptr) {
        SetWindowLongPtrW(receiver_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
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
                reinterpret_cast<WindowThreadCalls*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            calls->run_queued();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace velmora
