// The run log: time-stamped lines at the end of the window's 运行栏 and, when the program
// keeps a history file, the same lines in it.
#pragma once

#include <atomic>

#include "base/controls/controls.h"
#include "base/endpoints.h"
#include "base/types.h"

namespace velmora {

class HistoryFile;

// The time a log line carries, e.g. "2024年3月5日14时7分9秒": the network time, asked of
// the network-time site each time; the local clock's time when the site gives none, so
// that no line is dated in the year 100.
Text log_time_text(const Endpoints& endpoints);

class RunLog {
  public:
    // `history` may be null (no history file); all three must outlive the log.
    RunLog(Controls& controls, const Endpoints& endpoints, HistoryFile* history = nullptr);

    // Appends "[" + log_time_text() + "]：" + message + "\r\n"; returns the time text.
    Text write(const Text& message);
    // The same with a time the caller already has.
    void write_at(const Text& time, const Text& message);

  private:
    Controls& controls_;
    const Endpoints& endpoints_;
    HistoryFile* history_;
    // The window says once that the history file cannot be written, until it can again.
    std::atomic<bool> history_failure_shown_{false};
};

}  // namespace velmora
