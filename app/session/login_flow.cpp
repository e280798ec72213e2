#include "app/session/login_flow.h"

#include "api/domain_lookup.h"
#include "api/record_listing.h"
#include "api/show_message.h"
#include "app/settings/remembered_watches.h"
#include "app/settings/settings_file.h"
#include "app/session/window_title.h"
#include "base/controls/control_names.h"
#include "base/event_pump.h"
#include "base/gbk.h"
#include "http/connection_pool.h"

namespace velmora {

namespace {

// Disables the login button for the lifetime of one flow.
class LoginButtonLock {
  public:
    explicit LoginButtonLock(Controls& controls) : controls_(controls) {
        controls_.set_control_enabled(control::login_button(), false);
    }
    ~LoginButtonLock() { controls_.set_control_enabled(control::login_button(), true); }
    LoginButtonLock(const LoginButtonLock&) = delete;
    LoginButtonLock& operator=(const LoginButtonLock&) = delete;

  private:
    Controls& controls_;
};

bool load_named_pages(const ApiContext& context, const LoginRun& run) {
    bool logged_in = false;
    for (int page = 1; page <= control::kPageCount; ++page) {
        if (shutdown_requested()) {
            break;
        }
        if (context.controls.tab_caption(control::record_tabs(), page).empty()) {
            continue;
        }
        const bool page_logged_in = load_record_page(context, page, !run.quiet);
        restore_remembered_watches(context.controls, run.settings_path, page, run.log);
        // The loop starts once page 1's rows are watched again, so its first pass
        // checks them.
        if (page_logged_in) {
            logged_in = true;
            if (run.start_loop) {
                run.update_loop.start();
            }
        }
        delay(std::chrono::milliseconds(100));
    }
    return logged_in;
}

}  // namespace

LoginOutcome run_login(const ApiContext& context, const LoginRun& run) {
    Controls& controls = context.controls;
    if (controls.edit_text(control::id_edit()).empty() ||
        controls.edit_text(control::token_edit()).empty()) {
        show_message(controls, gbk("请输入Id，Token后再试"));
        return {};
    }
    LoginButtonLock busy(controls);
    // The login's requests share one connection to the API host.
    const ConnectionPool connections;
    for (int page = 1; page <= control::kPageCount; ++page) {
        controls.clear_list(control::record_list(page));
    }
    process_events();
    controls.set_window_title(window_title_now(context.endpoints));
    // Closed while the address was asked for: the edit boxes now read empty, and saving
    // them would lose the stored credential.
    if (shutdown_requested()) {
        return {};
    }
    if (const Text problem = save_settings(controls, run.settings_path); !problem.empty()) {
        run.log.write(problem);
    }
    const DomainLookup lookup = lookup_domains(context);
    if (!lookup.answered && run.retried_when_unreachable) {
        return {.logged_in = false, .unreachable = lookup.refusal};
    }
    // Without a page to load, no page-1 load will tell the user why nothing came.
    if (!lookup.refusal.empty() && !shutdown_requested() &&
        controls.tab_caption(control::record_tabs(), 1).empty()) {
        show_message(controls, lookup.refusal);
    }
    return {.logged_in = load_named_pages(context, run), .unreachable = {}};
}

}  // namespace velmora
