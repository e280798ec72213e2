// One run of the program's window: the main window and its control operations, wired
// to the session's logic.
#pragma once

#include <QObject>

#include "app/qt/main_window.h"
#include "app/qt/qt_controls.h"
#include "app/session_core.h"
#include "base/endpoints.h"

namespace velmora {

class WindowSession : public QObject {
    Q_OBJECT

  public:
    // `endpoints` must outlive the session.
    WindowSession(const Endpoints& endpoints, Text settings_path);
    ~WindowSession() override;

    // Shows the window centred on the screen and lets it paint, then runs the
    // window-created handler (whose address lookup blocks the window thread).
    void start();

    MainWindow& window() { return window_; }
    QtControls& controls() { return controls_; }
    const PageWatchList& watch_list() const { return core_.watch_list(); }

  private:
    void login();
    // Ends the update loop: its waits and control calls are released first, so
    // closing never hangs on a thread that waits for the window.
    void close_down();

    MainWindow window_;
    QtControls controls_;
    SessionCore core_;
};

}  // namespace velmora
