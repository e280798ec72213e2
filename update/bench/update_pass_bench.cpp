// Full update passes against the substitute provider on loopback, with 1, 2, 20 and 120
// watched slots: the median pass time, the median CPU time of the pass's thread (the
// sandbox's own work runs on its threads and is not counted), the requests each pass
// makes, by action, and the API connections and TLS handshakes each pass costs.
// "steady" passes find every watched record already on the public address; a "changed"
// pass follows an address change and rewrites every watched record. A "bare" pass makes
// the steady pass's requests with bare libcurl on the engine's connection policy: what
// libcurl and the TLS library cost on their own, below which no pass of ours can go.
// With two slots, both kinds are also timed with passes 2 s apart ("/2s"), as the
// footprint benchmark runs them, where the caches have gone cold between passes.
//
//   update_pass_bench [passes [slots]]     (default 7 steady passes per size; all sizes)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "api/credential.h"
#include "api/domain_lookup.h"
#include "api/record_listing.h"
#include "api/request_bodies.h"
#include "base/controls/control_names.h"
#include "base/controls/memory_controls.h"
#include "http/tls_settings.h"
#include "sandbox/sandbox_server.h"
#include "update/bench/bare_requests.h"
#include "update/bench/bench_account.h"
#include "update/page_watch_list.h"
#include "update/update_cycle.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

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

template <typename Pass>
PassTime time_pass(const Pass& pass) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = thread_cpu_milliseconds();
    pass();
    return {
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
        thread_cpu_milliseconds() - cpu_start};
}

// A steady pass's requests with bare libcurl, on the engine's connection policy: one
// handle and connection an origin for the pass, the API's TLS session resumed from the
// pass before through `sessions`; its API requests, then `plain_requests` HTTP-DNS GETs
// and as many network-time HEADs.
void bare_pass(CURLSH* sessions, const Endpoints& endpoints, Controls& controls,
               int plain_requests) {
    CURL* api = curl_easy_init();
    CURL* dns = curl_easy_init();
    CURL* time = curl_easy_init();
    curl_easy_setopt(api, CURLOPT_SHARE, sessions);
    const Text credential = credential_text(controls);
    bool ok = true;
    for (int page = 1; page <= control::kPageCount; ++page) {
        const Text domain_id = controls.list_cell_text(control::record_list(page), 0, 0);
        for (const char* type : {"A", "AAAA"}) {
            ok = bench::bare_request("https://" + endpoints.api_host + "/Record.List", "POST",
                                     record_list_body(credential, domain_id, type),
                                     bench::kEngineLines, endpoints.extra_ca_file, api) &&
                 ok;
        }
    }
    const std::string dns_url =
        "http://" + endpoints.httpdns_address + "/d?dn=" + endpoints.httpdns_name + "&clientip=1";
    const bench::HeaderLines time_lines = bench::request_object_lines(endpoints.time_url);
    for (int n = 0; n < plain_requests; ++n) {
        ok = bench::bare_request(dns_url, "GET", {}, bench::kEngineLines, {}, dns) && ok;
        ok = bench::bare_request(endpoints.time_url, "HEAD", {}, time_lines, {}, time) && ok;
    }
    for (CURL* handle : {api, dns, time}) {
        curl_easy_cleanup(handle);
    }
    if (!ok) {
        std::fprintf(stderr, "bare pass: a request failed\n");
        std::exit(1);
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median wall and CPU time of `passes` passes, `pause` apart.
template <typename Pass>
PassTime median_pass(int passes, const Pass& pass, std::chrono::seconds pause) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < passes; ++i) {
        std::this_thread::sleep_for(pause);
        const PassTime time = time_pass(pass);
        wall.push_back(time.wall_ms);
        cpu.push_back(time.cpu_ms);
    }
    return {median(wall), median(cpu)};
}

void print_row(const char* kind, int slots, PassTime median_time,
               const sandbox::SandboxServer& sandbox, int passes) {
    std::printf("%-10s %6d %12.1f %12.2f", kind, slots, median_time.wall_ms, median_time.cpu_ms);
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

int run(int passes, int only_slots) {
    sandbox::SandboxOptions options;
    options.seed = bench_seed(kFirstAddress);
    sandbox::SandboxServer sandbox(options);
    std::string error;
    if (!sandbox.start(&error)) {
        std::fprintf(stderr, "sandbox: %s\n", error.c_str());
        return 1;
    }
    const Endpoints endpoints = bench::trusted_endpoints(sandbox);

    std::printf("%-10s %6s %12s %12s", "pass", "slots", "median ms", "cpu ms");
    for (const std::string& action : kActions) {
        std::printf(" %14s", (action + "/pass").c_str());
    }
    std::printf(" %11s %11s\n", "conns/pass", "tls/pass");

    for (const int slots : {1, 2, 20, 120}) {
        if (only_slots != 0 && slots != only_slots) {
            continue;
        }
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
        const auto pass = [&] { cycle.run_pass(); };

        // Two slots are the footprint benchmark's set-up, and its passes come 2 s apart.
        const std::vector<std::chrono::seconds> pauses =
            slots == 2 ? std::vector<std::chrono::seconds>{0s, 2s} : std::vector{0s};
        for (const std::chrono::seconds pause : pauses) {
            const std::string suffix = pause.count() > 0 ? "/2s" : "";
            sandbox.reset_counters();
            print_row(("steady" + suffix).c_str(), slots, median_pass(passes, pass, pause), sandbox,
                      passes);
            const sandbox::Counters counters = sandbox.counters();
            const int plain_requests = static_cast<int>(counters.at("httpdns") / passes);

            CURLSH* sessions = curl_share_init();
            curl_share_setopt(sessions, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
            const auto bare = [&] { bare_pass(sessions, endpoints, controls, plain_requests); };
            bare();  // the session the timed passes resume
            sandbox.reset_counters();
            print_row(("bare" + suffix).c_str(), slots, median_pass(passes, bare, pause), sandbox,
                      passes);
            curl_share_cleanup(sessions);
        }

        // The address changes: one pass rewrites every watched record, the next one
        // reads the new values back and finds nothing to do.
        sandbox.set_public_address(kSecondAddress);
        sandbox.reset_counters();
        print_row("changed", slots, time_pass(pass), sandbox, 1);
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
    const int slots = argc > 2 ? std::atoi(argv[2]) : 0;
    return velmora::run(passes, slots);
}
