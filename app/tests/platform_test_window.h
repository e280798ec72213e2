// The platform's real main window for the tests that run on both window layers: the Qt
// window on Linux, the Win32 window on Windows. Each provides PlatformTestWindow (the
// window, not shown, and its Controls as controls_) and run_on_worker_while_pumping.
#pragma once

#ifdef _WIN32
#include "app/tests/win32/win32_test_window.h"
namespace velmora {
using PlatformTestWindow = Win32TestWindow;
inline constexpr const char* kPlatformWindowName = "Win32";
}  // namespace velmora
#else
#include "app/tests/qt/qt_test_application.h"
namespace velmora {
using PlatformTestWindow = QtTestWindow;
inline constexpr const char* kPlatformWindowName = "Qt";
}  // namespace velmora
#endif
