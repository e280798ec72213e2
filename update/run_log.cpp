#include "update/run_log.h"

#include "base/controls/control_names.h"
#include "base/date_time.h"
#include "base/gbk.h"
#include "base/system/local_clock.h"
#include "http/network_time.h"
#include "update/history_file.h"

namespace velmora {

Text log_time_text(const Endpoints& endpoints) {
    return date_time_to_text(network_time(endpoints.time_url).value_or(machine_now_utc8()));
}

RunLog::RunLog(Controls& controls, const Endpoints& endpoints, HistoryFile* history)
    : controls_(controls), endpoints_(endpoints), history_(history) {}

Text RunLog::write(const Text& message) {
    Text time = log_time_text(endpoints_);
    write_at(time, message);
    return time;
}

void RunLog::write_at(const Text& time, const Text& message) {
    const Text line = "[" + time + gbk("]：") + message;
    controls_.append_to_edit(control::run_log(), {line + "\r\n"});
    if (history_ == nullptr) {
        return;
    }
    if (history_->append(line)) {
        history_failure_shown_ = false;
    } else if (!history_failure_shown_.exchange(true)) {
        // Said in the window only: the file is what failed.
        controls_.append_to_edit(control::run_log(),
                                 {"[" + time + gbk("]：运行记录无法写入文件，只显示在窗口中：") +
                                  history_->path() + "\r\n"});
    }
}

}  // namespace velmora
