// The program's Win32 main window, not shown, driven through Win32Controls.
#pragma once

#include <windows.h>

#include <memory>
#include <thread>
#include <utility>

#include <functional>

#include "app/win32/main_window.h"
#include "app/win32/message_box.h"
#include "app/win32/win32_controls.h"

namespace velmora {

struct Win32TestWindow {
    Win32TestWindow() : controls_(std::make_unique<Win32Controls>(window_)) {}
    ~Win32TestWindow() { set_message_box_presenter(nullptr); }
    // Boxes are answered OK from now on, each after `while_shown` ran.
    void answer_boxes(std::function<void()> while_shown) {
        set_message_box_presenter(
            [while_shown = std::move(while_shown)](HWND, const Text&, const Text&, UINT) {
                while_shown();
                return IDOK;
            });
    }
    MainWindow window_;
    std::unique_ptr<Win32Controls> controls_;
};

// Runs `body` on a worker thread while this (the window) thread handles messages, and
// returns once the body has finished.
template <class Body>
void run_on_worker_while_pumping(Body body) {
    const DWORD window_thread = GetCurrentThreadId();
    std::thread worker([window_thread, body = std::move(body)]() mutable {
        body();
        PostThreadMessageW(window_thread, WM_APP + 100, 0, 0);
    });
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0 &&
           !(message.hwnd == nullptr && message.message == WM_APP + 100)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    worker.join();
}

}  // namespace velmora
