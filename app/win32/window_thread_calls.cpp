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

WindowThreadCalls::WindowThreadCalls() {
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

void WindowThreadCalls::begin_shutdown() {
    {
        std::lock_guard lock(mutex_);
        shutting_down_ = true;
        queue_.clear();
    }
    finished_.notify_all();
}

bool WindowThreadCalls::shutting_down() const {
    std::lock_guard lock(mutex_);
    return shutting_down_;
}

bool WindowThreadCalls::post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    if (shutting_down_ || receiver_ == nullptr) {
        return false;
    }
    queue_.push_back(std::move(task));
    if (!PostMessageA(receiver_, kRunQueued, 0, 0)) {
        queue_.pop_back();
        return false;
    }
    return true;
}

void WindowThreadCalls::run_queued() {
    while (true) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                return;
            }
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        // A task may open a nested message loop (a message box) that runs this again;
        // each task is still taken exactly once.
        task();
        finished_.notify_all();
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
