#include "app/headless/headless_run.h"

#include "app/headless/headless_controls.h"
#include "app/session/session_core.h"
#include "app/settings/settings_file.h"
#include "base/system/atomic_file.h"
#include "base/system/stop_requests.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"

namespace velmora {

namespace {

constexpr int kFailed = 1;

bool any_record_watched(const PageWatchList& watch) {
    for (int page = 1; page <= control::kPageCount; ++page) {
        for (int slot = 1; slot <= PageWatchList::kSlotCount; ++slot) {
            if (watch.flag(page, slot) == 1) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

int run_headless(const Endpoints& endpoints, const SettingsLocation& settings, bool once) {
    StopRequests stop_requests;
    const Text history_file = settings.kept ? history_file_of(settings) : Text();
    const auto refuse = [&history_file](const Text& reason) {
        complain(history_file, reason);
        return kFailed;
    };
    bool missing = false;
    if (!read_whole_file(settings.settings_file, &missing)) {
        return refuse(
            missing ? gbk("找不到设置文件：") + settings.settings_file
                    : gbk("无法读取设置文件：") + settings.settings_file +
                          gbk("（它要能被运行用户 ") + running_account() + gbk(" 读取，") +
                          read_access_hint(running_account(), settings.settings_file) + gbk("）"));
    }
    HeadlessControls controls(history_file);
    SessionCore core(controls, endpoints, settings);
    // Nothing else is there to show: without the loop (or any lock to keep a second
    // loop off these records) this run has nothing to do.
    if (core.claim_loop() != LoopOwnership::Claim::owned) {
        return refuse(core.loop_note());
    }
    core.window_created();
    if (controls.edit_text(control::id_edit()).empty() ||
        controls.edit_text(control::token_edit()).empty()) {
        return refuse(gbk("设置文件中没有ID和Token（登入数据）：") + settings.settings_file);
    }
    if (!core.log_in_by_itself(!once)) {
        // A stop by signal is no failure; a refusal has said why on its own line.
        if (shutdown_requested()) {
            return 0;
        }
        return controls.message_boxes().empty() ? refuse(gbk("登入未成功")) : kFailed;
    }
    if (!any_record_watched(core.watch_list())) {
        return refuse(gbk("没有可以监控的记录：设置文件中记住的记录（监控记录）都不存在，"
                          "请先在窗口中勾选要跟随公网IP的记录：") +
                      settings.settings_file);
    }
    if (once) {
        const PassOutcome outcome = core.run_one_pass();
        return outcome.watched > 0 && outcome.settled == outcome.watched ? 0 : kFailed;
    }
    while (delay(std::chrono::hours(1))) {
    }
    core.close_down();
    return 0;
}

}  // namespace velmora
