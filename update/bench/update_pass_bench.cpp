// Full update passes against the substitute provider on loopback, with 1, 20 and 120
// watched slots: the median pass time, the median CPU time of the pass's thread (the
// sandbox's own work runs on its threads and is not counted), the requests each pass
// makes, by action, and the API connections and TLS handshakes each pass costs.
// "steady" passes find every watched record already on the public address; a "changed"
// pass follows an address change and rewrites every watched record.
//
//   update_pass_bench [passes]     (default 7 steady passes per size)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

double thread_cpu_milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct PassTime {
    double wall_ms;
    double cpu_ms;
};

PassTime time_pass(UpdateCycle& cycle) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = thread_cpu_milliseconds();
    cycle.run_pass();
    return {
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
        thread_cpu_milliseconds() - cpu_start};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void print_row(const char* kind, int slots, PassTime median_time,
               const sandbox::SandboxServer& sandbox, int passes) {
    std::printf("%-7s %6d %12.1f %12.2f", kind, slots, median_time.wall_ms, median_time.cpu_ms);
    const sandbox::Counters counters = sandbox.counters();
    for (const std::string& action : kActions) {
        const auto found = counters.find(action);
        const double total = found == counters.end() ? 0.0 : static_cast<double>(found->second);
        std::printf(" %14.1f", total / passes);
    }
    const sandbox::ApiConnections connections = sandbox.api_connections();
    std::printf(" %11.1f %11.1f\n", static_cast<double>(connections.connections) / passes,
                static_cast<double>(connections.handshakes) / passes);
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

    std::printf("%-7s %6s %12s %12s", "pass", "slots", "median ms", "cpu ms");
    for (const std::string& action : kActions) {
        std::printf(" %14s", (action + "/pass").c_str());
    }
    std::printf(" %11s %11s\n", "conns/pass", "tls/pass");

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
        std::vector<double> wall;
        std::vector<double> cpu;
        for (int i = 0; i < passes; ++i) {
            const PassTime time = time_pass(cycle);
            wall.push_back(time.wall_ms);
            cpu.push_back(time.cpu_ms);
        }
        print_row("steady", slots, {median(wall), median(cpu)}, sandbox, passes);

        // The address changes: one pass rewrites every watched record, the next one
        // reads the new values back and finds nothing to do.
        sandbox.set_public_address(kSecondAddress);
        sandbox.reset_counters();
        print_row("changed", slots, time_pass(cycle), sandbox, 1);
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
