// What one run of the program holds, whatever shows it (the Qt window, the Win32
// window): the settings file, the run history, the watch tables and the update loop,
// and the logic's handlers wired to them. The window layer owns the controls and calls
// these handlers from its events, on the window thread.
#pragma once

#include <atomic>
#include <optional>

#include "app/session/login_retry.h"
#include "app/session/loop_ownership.h"
#include "app/settings/run_options.h"
#include "app/session/settings_follower.h"
#include "base/controls/controls.h"
#include "base/endpoints.h"
#include "base/system/settings_location.h"
#include "base/types.h"
#include "update/history_file.h"
#include "update/page_watch_list.h"
#include "update/run_log.h"
#include "update/update_cycle.h"
#include "update/update_loop.h"
#include "update/update_observer.h"

namespace velmora {

class SessionCore {
  public:
    // `controls` and `endpoints` must outlive the core, whose handler takes the record
    // rows' check boxes. The history file lies beside the settings file; where the
    // settings are not kept there is none.
    SessionCore(Controls& controls, const Endpoints& endpoints, const SettingsLocation& settings);
    ~SessionCore();
    SessionCore(const SessionCore&) = delete;
    SessionCore& operator=(const SessionCore&) = delete;

    // The window exists: the public address into the title, the remembered settings
    // into the controls, and a log line when the settings cannot be kept. A protected
    // token that cannot be had is said in the log, and in a box too when the user
    // started the window (`shown`), not the logon or a service.
    void window_created(bool shown = false);

    enum class Resume { not_asked, logged_in, failed, taken_over };
    // After window_created(): with 启动时登入 on and an ID and a token stored, logs in
    // as log_in_by_itself() does. `taken_over`: the user's own login (or the close)
    // came while it waited for the network.
    Resume resume();

    // Logs in as 登入 does, but with no box unless the provider refuses, and ticks the
    // remembered watches again. While the provider cannot be reached it waits and tries
    // again (see login_retry.h), telling the update observer. Without `start_loop` the
    // update loop is left unstarted and a single try is made (for a single pass). True
    // when page 1 logged in.
    bool log_in_by_itself(bool start_loop = true);
    // One pass of the update loop, as the loop would run it.
    PassOutcome run_one_pass();

    // The 登入 button.
    void login();
    // The console link label.
    void open_console();
    // Begins the process's shutdown and waits for the update loop to end. Release the
    // controls' waiting calls first, so that the loop cannot wait for the window.
    void close_down();

    // The options of 运行选项 (start at logon is base/autostart.h's). A change that
    // cannot be saved is said once in the log; false then. 保护令牌 moves the token
    // of the edit boxes into the platform's store or back (app/settings/token_protection.h).
    bool option(RunOption option) const;
    bool set_option(RunOption option, bool on);

    // Why 保护令牌 could not be turned the last time it was asked; empty once it was.
    Text token_protection_note() const;

    // Tells `observer` what the update loop does beyond its log, and when the login at
    // start waits for the network (for a tray icon); call before the first login. It must
    // outlive the core.
    void set_update_observer(UpdateObserver* observer) {
        observer_ = observer;
        update_loop_.set_observer(observer);
    }

    const PageWatchList& watch_list() const { return watch_; }

    // Takes the settings file's loop lock for this run unless it holds it; a login starts
    // the update loop only when no other run holds it. Says once in the log what is worth
    // saying (another run keeps the records, the lock went elsewhere or nowhere).
    LoopOwnership::Claim claim_loop();
    const Text& loop_note() const { return loop_owner_.note(); }

  private:
    // A record row's check box changed: the watch tables, and the remembered watches.
    void row_checked(int page, int row, int state);
    enum class LoginBy {
        user,                // the 登入 button: its boxes show, the loop starts
        itself,              // at start: no box unless it fails, the loop starts
        itself_for_one_pass  // as `itself`, but the loop stays unstarted
    };
    LoginOutcome run_login(LoginBy by);
    std::optional<LoginOutcome> log_in_when_reachable();
    void say_once_that_choices_are_not_kept();
    // 保护令牌, with the ID and token of the edit boxes; one log line either way.
    bool set_token_protected(bool on);

    Controls& controls_;
    const Endpoints& endpoints_;
    const Text settings_path_;
    const bool settings_kept_;
    std::optional<HistoryFile> history_;
    RunLog log_;
    PageWatchList watch_;
    UpdateLoop update_loop_;
    std::atomic<bool> unsaved_choice_told_{false};
    LoopOwnership loop_owner_;
    bool loop_note_told_ = false;
    Text token_protection_note_;  // window thread only
    SettingsFollower follower_;
    UpdateObserver* observer_ = nullptr;
    // The login at start while it waits for the network; the user's own login ends it.
    LoginRetry* retrying_ = nullptr;
};

}  // namespace velmora
