#include "app/win32/object_window.h"

namespace velmora {

void register_window_class(const wchar_t* name, WNDPROC procedure, WNDCLASSEXW extras) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(module, name, &existing)) {
        return;
    }
    extras.cbSize = sizeof extras;
    extras.lpfnWndProc = procedure;
    extras.hInstance = module;
    extras.lpszClassName = name;
    RegisterClassExW(&extras);
}

}  // namespace velmora
