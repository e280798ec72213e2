#include <windows.h>

#include "base/backend.h"

namespace velmora::backend {

// The message is GBK, the ANSI code page of the program's users.
void show_internal_error(const Text& message) {
    MessageBoxA(nullptr, message.c_str(), "", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace velmora::backend
