// The one QApplication of a test executable, created on first use on the main thread
// (where GoogleTest runs the tests).
#pragma once

#include <QApplication>

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

}  // namespace velmora
