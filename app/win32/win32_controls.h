// The control operations over the main window's Win32 controls (win32_widgets.h).
//
// Create it on the window thread once the window exists. Shutdown begins when the window
// is destroyed (closing it destroys it), or when begin_shutdown() is called.
#pragma once

#include "app/win32/main_window.h"
#include "app/win32/win32_widgets.h"
#include "app/win32/window_thread_calls.h"
#include "app/window/window_controls.h"

namespace velmora {

class Win32Controls : public WindowControls {
  public:
    explicit Win32Controls(MainWindow& window);
    ~Win32Controls() override;
    Win32Controls(const Win32Controls&) = delete;
    Win32Controls& operator=(const Win32Controls&) = delete;

  private:
    MainWindow& window_;
    int close_listener_ = 0;
    WindowThreadCalls calls_;
    Win32Widgets widgets_;
};

}  // namespace velmora
