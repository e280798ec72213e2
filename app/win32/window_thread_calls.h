// The window-call queue of the Win32 window: the window thread is the creating thread, and
// a message posted to a message-only window of that thread wakes it up.
#pragma once

#include <windows.h>

#include "base/controls/window_call_queue.h"

namespace velmora {

class WindowThreadCalls : public WindowCallQueue {
  public:
    // Create and destroy it on the window thread.
    WindowThreadCalls();
    ~WindowThreadCalls();

  private:
    template <class Owner>
    friend LRESULT CALLBACK object_window_procedure(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { receiver_ = window; }
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);

    const DWORD window_thread_ = GetCurrentThreadId();
    HWND receiver_ = nullptr;
};

}  // namespace velmora
