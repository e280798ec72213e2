// The sandbox fixture plus what the update tests share: a logged-in window (pages named
// and loaded as the login does), rows put under watch as the row check box does, and
// the run log's text.
#pragma once

#include "api/domain_lookup.h"
#include "api/record_listing.h"
#include "api/tests/support/sandbox_fixture.h"
#include "base/gbk.h"
#include "update/page_watch_list.h"
#include "update/run_log.h"
#include "update/update_cycle.h"

namespace velmora::testing {

// The time the sandbox's Date header gives, eight hours ahead of UTC, as logged.
inline Text log_time() {
    return gbk("[2024年3月5日14时7分9秒]：");
}
inline Text no_change_line() {
    return log_time() + gbk("公网IP无变化，无需更新，120秒后重新检测") + "\r\n";
}
inline Text success_line(const Text& address) {
    return log_time() + gbk("更新记录值成功|IP为：") + address + "\r\n";
}
// Any other line the loop logs, e.g. a failure or its end.
inline Text log_line(const Text& message) {
    return log_time() + message + "\r\n";
}

class UpdateTest : public SandboxTest {
  protected:
    using SandboxTest::SandboxTest;

    void log_in() {
        lookup_domains(context());
        for (int page = 1; page <= control::kPageCount; ++page) {
            if (!controls_.tab_caption(control::record_tabs(), page).empty()) {
                load_record_page(context(), page);
            }
        }
        sandbox_.reset_counters();
    }

    void watch_row(int page, int row) {
        const Text& list = control::record_list(page);
        watch_.set_flag(page, row, 1);
        watch_.set_text(page, row, WatchField::domainId, controls_.list_cell_text(list, 0, 0));
        watch_.set_text(page, row, WatchField::recordId, controls_.list_cell_text(list, row, 0));
        watch_.set_text(page, row, WatchField::subDomain, controls_.list_cell_text(list, row, 1));
        watch_.set_text(page, row, WatchField::recordType, controls_.list_cell_text(list, row, 2));
    }

    // One pass as the loop runs it: its failure memory lasts from pass to pass, and the
    // repetition of failure lines follows now_.
    PassOutcome run_pass() { return cycle_.run_pass(); }

    Text run_log() { return controls_.edit_text(control::run_log()); }
    Text shown_value(int page, int row) {
        return controls_.list_cell_text(control::record_list(page), row, 3);
    }

    PageWatchList watch_;
    std::chrono::steady_clock::time_point now_{};
    RunLog log_{controls_, endpoints_};
    UpdateCycle cycle_{{controls_, endpoints_}, watch_, log_, nullptr, [this] { return now_; }};

  public:
    // The machine's own interfaces stay out of the passes: a public IPv4 address on one
    // would stand in for the endpoint the tests silence.
    UpdateTest() {
        cycle_.ipv4_sources().set_interface_source([] { return std::vector<Ipv4Bytes>{}; });
    }
};

}  // namespace velmora::testing
