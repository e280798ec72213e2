// What one run of the program holds, whatever shows it (the Qt window, the Win32
// window): the settings file, the run history, the watch tables and the update loop,
// and the logic's handlers wired to them. The window layer owns the controls and calls
// these handlers from its events, on the window thread.
#pragma once

#include "base/controls.h"
#include "base/endpoints.h"
#include "base/types.h"
#include "update/history_file.h"
#include "update/page_watch_list.h"
#include "update/run_log.h"
#include "update/update_loop.h"

namespace velmora {

class SessionCore {
  public:
    // `controls` and `endpoints` must outlive the core. The history file lies beside
    // the settings file.
    SessionCore(Controls& controls, const Endpoints& endpoints, Text settings_path);
    ~SessionCore();
    SessionCore(const SessionCore&) = delete;
    SessionCore& operator=(const SessionCore&) = delete;

    // The window exists: the public address into the title, the remembered settings
    // into the controls.
    void window_created();
    // The 登入 button.
    void login();
    // A record row's check box changed.
    void row_checked(int page, int row, int state);
    // The console link label.
    void open_console();
    // Begins the process's shutdown and waits for the update loop to end. Release the
    // controls' waiting calls first, so that the loop cannot wait for the window.
    void close_down();

    const PageWatchList& watch_list() const { return watch_; }
    RunLog& run_log() { return log_; }

  private:
    Controls& controls_;
    const Endpoints& endpoints_;
    const Text settings_path_;
    HistoryFile history_;
    RunLog log_;
    PageWatchList watch_;
    UpdateLoop update_loop_;
};

}  // namespace velmora
