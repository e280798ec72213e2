// One run of the program's window: the main window, its control operations, the
// watch tables and the update loop, wired to the handlers of the logic.
#pragma once

#include <QObject>

#include "app/qt/main_window.h"
#include "app/qt/qt_controls.h"
#include "base/endpoints.h"
#include "update/page_watch_list.h"
#include "update/update_loop.h"

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
    const PageWatchList& watch_list() const { return watch_; }

  private:
    void login();
    // Ends the update loop: its waits and control calls are released first, so
    // closing never hangs on a thread that waits for the window.
    void close_down();

    const Endpoints& endpoints_;
    Text settings_path_;
    MainWindow window_;
    QtControls controls_;
    PageWatchList watch_;
    UpdateLoop update_loop_;
};

}  // namespace velmora
