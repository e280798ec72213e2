#include <windows.h>

#include "base/backend.h"
#include "base/win32/wide_text.h"

namespace velmora::backend {

// Shown through the wide call, so the Chinese message reads right on any Windows.
void show_internal_error(const Text& message) {
    MessageBoxW(nullptr, wide_text(message).c_str(), L"", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace velmora::backend
