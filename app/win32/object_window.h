// Windows of this program whose messages a C++ object handles.
#pragma once

#include <windows.h>

namespace velmora {

// Registers the window class `name` of this module with `procedure` and whatever else
// `extras` sets (icon, cursor, background); a class already registered stays as it is.
void register_window_class(const wchar_t* name, WNDPROC procedure, WNDCLASSEXW extras = {});

// The procedure of a class whose every window belongs to an Owner, passed as
// CreateWindowExW's creation parameter. Owner::attach(window) comes before the window's
// first message, Owner::handle_message(message, wparam, lparam) handles each message, and
// Owner::attach(nullptr) follows its last.
template <class Owner>
LRESULT CALLBACK object_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        owner->attach(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (owner == nullptr) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        owner->attach(nullptr);
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return owner->handle_message(message, wparam, lparam);
}

}  // namespace velmora
