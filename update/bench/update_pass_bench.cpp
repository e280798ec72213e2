// Full update passes against the substitute provider on loopback, with 1, 20 and 120
// watched slots: the median pass time and the requests each pass makes, by action.
// "steady" passes find every watched record already on the public address; a "changed"
// pass follows an address change and rewrites every watched record.
//
//   update_pass_bench [passes]     (default 7 steady passes per size)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "api/domain_lookup.h"
#include "api/record_listing.h"
#include "base/controls/control_names.h"
#include "base/controls/memory_controls.h"
#include "http/tls_settings.h"
#include "sandbox/sandbox_server.h"
#include "update/bench/bench_account.h"
#include "update/page_watch_list.h"
#include "update/update_cycle.h"

namespace velmora {
namespace {

using bench::bench_seed;
using bench::kAccountId;
using bench::kToken;
using bench::watch_slots;

constexpr char kFirstAddress[] = "198.51.100.1";
constexpr char kSecondAddress[] = "198.51.100.2";
const std::vector<std::string> kActions = {"Domain.List", "Record.List", "Record.Modify", "httpdns",
                                           "time"};

double pass_milliseconds(UpdateCycle& cycle) {
    const auto start = std::chrono::steady_clock::now();
    cycle.run_pass();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void print_row(const char* kind, int slots, double median_ms, const sandbox::Counters& counters,
               int passes) {
    std::printf("%-7s %6d %12.1f", kind, slots, median_ms);
    for (const std::string& action : kActions) {
        const auto found = counters.find(action);
        const double total = found == counters.end() ? 0.0 : static_cast<double>(found->second);
        std::printf(" %14.1f", total / passes);
    }
    std::printf("\n");
}

int run(int passes) {
    sandbox::SandboxOptions options;
    options.seed = bench_seed(kFirstAddress);
    sandbox::SandboxServer sandbox(options);
    std::string error;
    if (!sandbox.start(&error)) {
        std::fprintf(stderr, "sandbox: %s\n", error.c_str());
        return 1;
    }
    const Endpoints endpoints = bench::trusted_endpoints(sandbox);

    std::printf("%-7s %6s %12s", "pass", "slots", "median ms");
    for (const std::string& action : kActions) {
        std::printf(" %14s", (action + "/pass").c_str());
    }
    std::printf("\n");

    for (const int slots : {1, 20, 120}) {
        MemoryControls controls;
        controls.set_edit_text(control::id_edit(), kAccountId);
        controls.set_edit_text(control::token_edit(), kToken);
        const ApiContext context{controls, endpoints};
        lookup_domains(context);
        for (int page = 1; page <= control::kPageCount; ++page) {
            load_record_page(context, page);
        }
        PageWatchList watch;
        watch_slots(controls, watch, slots);
        RunLog log(controls, endpoints);
        UpdateCycle cycle(context, watch, log);

        sandbox.set_public_address(kFirstAddress);
        sandbox.reset_counters();
        std::vector<double> times;
        for (int i = 0; i < passes; ++i) {
            times.push_back(pass_milliseconds(cycle));
        }
        std::sort(times.begin(), times.end());
        print_row("steady", slots, times[times.size() / 2], sandbox.counters(), passes);

        // The address changes: one pass rewrites every watched record, the next one
        // reads the new values back and finds nothing to do.
        sandbox.set_public_address(kSecondAddress);
        sandbox.reset_counters();
        const double changed_ms = pass_milliseconds(cycle);
        print_row("changed", slots, changed_ms, sandbox.counters(), 1);
        cycle.run_pass();
        // Back to the starting values for the next size.
        for (const sandbox::Domain& domain : sandbox.store().domains(kAccountId)) {
            for (const sandbox::Record& record : domain.records) {
                sandbox.set_record_value(record.id, kFirstAddress);
            }
        }
    }
    set_extra_ca_file("");
    return 0;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    return velmora::run(passes);
}
