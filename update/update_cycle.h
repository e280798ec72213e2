// The compare-and-modify loop that keeps the watched records on the machine's public
// address.
#pragma once

#include <chrono>
#include <functional>
#include <map>

#include "api/api_context.h"
#include "api/api_post.h"
#include "update/failure_memory.h"
#include "update/ipv4_sources.h"
#include "update/page_watch_list.h"
#include "update/pass_schedule.h"
#include "update/provider_backoff.h"
#include "update/run_log.h"
#include "update/update_observer.h"

namespace velmora {

struct PassOutcome {
    // Some watched slot found no usable public address (so the next pass comes soon).
    bool address_missing = false;
    int watched = 0;  // watched slots looked at
    int settled = 0;  // of them: their record already held the address, or was changed to it
};

// The pause after a pass: the normal period, but after passes that found no usable
// address (a machine just booted, a network not up yet) 15 s, then 30, 60 and so on,
// never more than the period.
std::chrono::milliseconds pause_after(int passes_without_address, std::chrono::milliseconds period);

class UpdateCycle {
  public:
    // All three must outlive the cycle, and the observer (may be null) too. `clock` times
    // the repetition of failure lines.
    UpdateCycle(
        const ApiContext& context, const PageWatchList& watch, RunLog& log,
        UpdateObserver* observer = nullptr,
        FailureMemory::Clock clock = [] { return std::chrono::steady_clock::now(); });

    // One pass: the refresh of every loaded page's values (its A and its AAAA records),
    // then every watched slot in page then slot order. An A record follows the public
    // IPv4 address, an AAAA record the public IPv6 address; a record of another type is
    // never written. A slot whose record's value equals a fresh public address logs the
    // no-change line; one that differs gets a Record.Modify with a fresh address.
    // Failures each get a log line (see FailureMemory for their repetition): no usable
    // address (the slot is left alone), a page's list that could not be read, a watched
    // record the provider no longer lists (not checked), a refused change. Ends early
    // at shutdown.
    PassOutcome run_pass();

    // Pass, then a pause (pause_after), again and again until shutdown is requested (the
    // pause ends at once then). A network change ends the pause early (PassSchedule);
    // the pause after that pass starts again from its end. `before_each_pass`, when
    // set, is called before each pass.
    void run(const std::function<void()>& before_each_pass = {});

    // Where the IPv4 address comes from besides the endpoint (the echo list from any
    // thread).
    Ipv4Sources& ipv4_sources() { return ipv4_sources_; }

    // The network changed (callable from any thread).
    void network_changed() { schedule_.network_changed(); }

    // A new login happened (callable from any thread): a back-off from the provider's
    // refusals ends, and the next pass asks at the normal pace.
    void login_renewed() { backoff_.login_renewed(); }

  private:
    // What the refresh learned of one page: record id -> value, for each type whose list
    // could be read.
    struct PageValues {
        bool listed_a = false;
        bool listed_aaaa = false;
        std::map<Text, Text> values;
    };

    PageValues refresh_page(int page);
    // One Record.List of the page's domain; false (and a line when the page has a
    // watched slot of that type) when it could not be read.
    bool read_values(int page, const Text& domain_id, const Text& record_type,
                     std::map<Text, Text>& values);
    void check_slot(int page, int slot, const PageValues& values, PassOutcome& outcome);
    // The address a record of `record_type` may take; on failure logs why and marks the
    // pass.
    Text usable_address(const Text& record_type, PassOutcome& outcome);
    Text usable_ipv4_address(PassOutcome& outcome);
    Text usable_ipv6_address(PassOutcome& outcome);

    // After a change the provider accepted: the slot's row shows the value written.
    void show_written_value(int page, int slot, const Text& record_id, const Text& value);
    // Notes the provider's answer for the back-off; true when it was a refusal that
    // holds the loop back (then logged once, instead of the request's own failure line).
    bool held_back_by(const Text& action, const Text& credential, const ApiReply& reply);
    void report_failure(const Text& key, const Text& line, bool remind = true);

    void report_recovery(const Text& key, const Text& line);

    ApiContext context_;
    const PageWatchList& watch_;
    RunLog& log_;
    UpdateObserver* observer_;
    FailureMemory failures_;
    ProviderBackoff backoff_;
    PassSchedule schedule_;
    Ipv4Sources ipv4_sources_;
};

}  // namespace velmora
