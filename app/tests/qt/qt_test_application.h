// The one QApplication of a test executable, created on first use on the main thread
// (where GoogleTest runs the tests).
#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QWidget>
#include <memory>
#include <thread>
#include <utility>

#include <QMessageBox>
#include <functional>

#include "app/qt/main_window.h"
#include "app/qt/message_box.h"
#include "app/qt/qt_controls.h"
#include "app/qt/window_thread_calls.h"

namespace velmora {

inline void ensure_qt_application() {
    static int argc = 1;
    static char name[] = "velmora-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

// As the first base or member of a fixture that holds widgets.
struct WithQtApplication {
    WithQtApplication() { ensure_qt_application(); }
};

// The program's main window, not shown, driven through QtControls.
struct QtTestWindow : WithQtApplication {
    QtTestWindow() : controls_(std::make_unique<QtControls>(&window_)) {}
    ~QtTestWindow() { set_message_box_presenter(nullptr); }
    // Boxes are answered OK from now on, each after `while_shown` ran.
    void answer_boxes(std::function<void()> while_shown) {
        set_message_box_presenter([while_shown = std::move(while_shown)](QMessageBox&) {
            while_shown();
            return int(QMessageBox::Ok);
        });
    }
    MainWindow window_;
    std::unique_ptr<QtControls> controls_;
};

// Runs `body` on a worker thread while this (the window) thread pumps events, and returns
// once the body has finished.
template <class Body>
void run_on_worker_while_pumping(Body body) {
    QEventLoop loop;
    WindowThreadCalls calls;
    std::thread worker([&loop, &calls, body = std::move(body)]() mutable {
        body();
        // Queued: taken by the loop even if it has not started yet.
        calls.run([&loop] { loop.quit(); });
    });
    loop.exec();
    worker.join();
}

}  // namespace velmora
