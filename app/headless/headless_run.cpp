#include "app/headless/headless_run.h"

#include <pthread.h>
#include <pwd.h>
#include <unistd.h>
#include <signal.h>

#include <string>
#include <thread>

#include "app/headless/headless_controls.h"
#include "app/session/session_core.h"
#include "base/system/atomic_file.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"

namespace velmora {

namespace {

constexpr int kFailed = 1;

int refuse(const Text& reason) {
    print_line(stderr, "velmora: " + reason);
    return kFailed;
}

// SIGTERM and SIGINT begin the shutdown, taken by a thread of their own: every other
// thread (the loop's, the HTTP service's) inherits the blocked mask, and a handler could
// not safely do what a shutdown needs.
class SignalsToShutdown {
  public:
    SignalsToShutdown() {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGTERM);
        sigaddset(&signals_, SIGINT);
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        waiter_ = std::thread([this] {
            int signal = 0;
            sigwait(&signals_, &signal);
            request_shutdown();
        });
    }
    ~SignalsToShutdown() {
        pthread_kill(waiter_.native_handle(), SIGTERM);  // ends its wait if nothing came
        waiter_.join();
    }
    SignalsToShutdown(const SignalsToShutdown&) = delete;
    SignalsToShutdown& operator=(const SignalsToShutdown&) = delete;

  private:
    sigset_t signals_;
    std::thread waiter_;
};

// The name of the user this run runs as (a service's own user), for a line that says
// who must be able to read the settings.
Text running_user() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? Text(entry->pw_name) : std::to_string(::geteuid());
}

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
    SignalsToShutdown signals;
    bool missing = false;
    if (!read_whole_file(settings.settings_file, &missing)) {
        return refuse(missing ? gbk("找不到设置文件：") + settings.settings_file
                              : gbk("无法读取设置文件：") + settings.settings_file +
                                    gbk("（它要能被运行用户 ") + running_user() +
                                    gbk(" 读取，例如归它所有：chown ") + running_user() + " " +
                                    settings.settings_file + gbk("）"));
    }
    HeadlessControls controls;
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
