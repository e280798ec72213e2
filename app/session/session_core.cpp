#include "app/session/session_core.h"

#include <utility>

#include "api/show_message.h"
#include "app/settings/address_sources.h"
#include "app/session/login_flow.h"
#include "app/session/page_events.h"
#include "app/session/window_created.h"
#include "app/settings/remembered_watches.h"
#include "app/settings/settings_file.h"
#include "app/settings/token_protection.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"

namespace velmora {

namespace {

std::optional<HistoryFile> history_for(const SettingsLocation& settings) {
    if (!settings.kept) {
        return std::nullopt;
    }
    return std::make_optional<HistoryFile>(history_file_of(settings));
}

}  // namespace

SessionCore::SessionCore(Controls& controls, const Endpoints& endpoints,
                         const SettingsLocation& settings)
    : controls_(controls),
      endpoints_(endpoints),
      settings_path_(settings.settings_file),
      settings_kept_(settings.kept),
      history_(history_for(settings)),
      log_(controls_, endpoints_, history_ ? &*history_ : nullptr),
      update_loop_(controls_, endpoints_, watch_, log_),
      loop_owner_(settings),
      follower_(controls_, settings_path_, log_) {
    update_loop_.set_before_pass([this] { follower_.follow(); });
    controls_.set_row_check_handler(
        [this](int page, int row, int state) { row_checked(page, row, state); });
}

SessionCore::~SessionCore() {
    close_down();
    controls_.set_row_check_handler({});
}

void SessionCore::window_created(bool shown) {
    if (const Text problem = on_window_created({controls_, endpoints_}, settings_path_);
        !problem.empty()) {
        log_.write(problem);
        if (shown) {
            show_message(controls_, problem);
        }
    }
    if (!settings_kept_) {
        log_.write(gbk("设置文件夹无法建立或写入，本次运行的设置和记录不会保存：") +
                   settings_path_);
    }
    if (const Text note = utf8_settings_note(settings_path_); !note.empty()) {
        log_.write(note);
    }
}

SessionCore::Resume SessionCore::resume() {
    if (!option(RunOption::log_in_at_start) || controls_.edit_text(control::id_edit()).empty() ||
        controls_.edit_text(control::token_edit()).empty()) {
        return Resume::not_asked;
    }
    const std::optional<LoginOutcome> outcome = log_in_when_reachable();
    if (!outcome) {
        return Resume::taken_over;
    }
    return outcome->logged_in ? Resume::logged_in : Resume::failed;
}

bool SessionCore::log_in_by_itself(bool start_loop) {
    if (!start_loop) {
        return run_login(LoginBy::itself_for_one_pass).logged_in;
    }
    const std::optional<LoginOutcome> outcome = log_in_when_reachable();
    return outcome && outcome->logged_in;
}

std::optional<LoginOutcome> SessionCore::log_in_when_reachable() {
    LoginRetry retry(
        log_,
        [this](const Text& reason) {
            if (observer_ != nullptr) {
                observer_->login_waiting(reason);
            }
        },
        login_retry_waits(endpoints_.update_period));
    retrying_ = &retry;
    std::optional<LoginOutcome> outcome = retry.run([this] { return run_login(LoginBy::itself); });
    retrying_ = nullptr;
    return outcome;
}

PassOutcome SessionCore::run_one_pass() {
    UpdateCycle cycle({controls_, endpoints_}, watch_, log_);
    cycle.ipv4_sources().set_echo_sources(read_echo_sources(settings_path_));
    return cycle.run_pass();
}

void SessionCore::login() {
    if (retrying_ != nullptr) {
        retrying_->cancel();
    }
    run_login(LoginBy::user);
}

LoginOutcome SessionCore::run_login(LoginBy by) {
    // Another run keeping these records would make every change of address cost two
    // Record.Modify a record; without any lock the loop runs as it always did.
    const bool start_loop =
        by != LoginBy::itself_for_one_pass && claim_loop() != LoopOwnership::Claim::held_elsewhere;
    update_loop_.set_echo_sources(read_echo_sources(settings_path_));
    return velmora::run_login({controls_, endpoints_},
                              {.settings_path = settings_path_,
                               .update_loop = update_loop_,
                               .log = log_,
                               .quiet = by != LoginBy::user,
                               .start_loop = start_loop,
                               .retried_when_unreachable = by == LoginBy::itself});
}

LoopOwnership::Claim SessionCore::claim_loop() {
    const LoopOwnership::Claim claim = loop_owner_.claim();
    if (!loop_owner_.note().empty() && !loop_note_told_) {
        loop_note_told_ = true;
        log_.write(loop_owner_.note());
    }
    return claim;
}

void SessionCore::row_checked(int page, int row, int state) {
    const bool watched = on_record_row_checked(controls_, watch_, page, row, state);
    if (!watched && state != 0) {
        return;  // nothing to remember: a refused tick has been taken back already
    }
    const Text& list = control::record_list(page);
    if (!remember_watch(settings_path_,
                        controls_.list_cell_text(list, 0, control::column::kRecordId),
                        controls_.list_cell_text(list, row, control::column::kRecordId), watched)) {
        say_once_that_choices_are_not_kept();
    }
}

void SessionCore::open_console() {
    open_console_token_page(controls_, endpoints_);
}

void SessionCore::close_down() {
    request_shutdown();
    update_loop_.stop();
}

bool SessionCore::option(RunOption option) const {
    return run_option(settings_path_, option);
}

bool SessionCore::set_option(RunOption option, bool on) {
    if (option == RunOption::protect_token) {
        return set_token_protected(on);
    }
    if (set_run_option(settings_path_, option, on)) {
        return true;
    }
    say_once_that_choices_are_not_kept();
    return false;
}

bool SessionCore::set_token_protected(bool on) {
    if (on == option(RunOption::protect_token)) {
        return true;
    }
    const Text id = controls_.edit_text(control::id_edit());
    const Text token = controls_.edit_text(control::token_edit());
    const Text problem =
        on ? protect_token(settings_path_, id, token) : unprotect_token(settings_path_, id, token);
    token_protection_note_ = problem;
    if (!problem.empty()) {
        log_.write(problem);
        return false;
    }
    log_.write(on ? gbk("已打开保护令牌：Token已交给系统保存，设置文件中的Token已清空")
                  : gbk("已关闭保护令牌：Token已放回设置文件"));
    return true;
}

Text SessionCore::token_protection_note() const {
    return token_protection_note_;
}

void SessionCore::say_once_that_choices_are_not_kept() {
    if (!shutdown_requested() && !unsaved_choice_told_.exchange(true)) {
        log_.write(gbk("设置文件无法写入，这项选择只在本次运行中有效：") + settings_path_);
    }
}

}  // namespace velmora
