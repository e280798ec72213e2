// CPU and wall time per request of the request paths the update loop uses, each beside
// the same requests made with bare libcurl under the same connection policy (a fresh
// handle and connection per request, HTTP/1.1, verified TLS against the system store plus
// the substitute provider's CA). CPU time is the calling thread's own (getrusage), so the
// in-process substitute provider's threads are not counted.
//
//   request_cost_bench [requests]     (default 200 per path and side)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "api/domain_lookup.h"
#include "api/record_listing.h"
#include "base/controls/control_names.h"
#include "base/controls/memory_controls.h"
#include "http/http_request.h"
#include "http/network_time.h"
#include "http/tls_settings.h"
#include "sandbox/sandbox_server.h"
#include "update/bench/bare_requests.h"
#include "update/bench/bench_account.h"
#include "update/page_watch_list.h"
#include "update/update_cycle.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;

using bench::bare_request;
using bench::kAccountId;
using bench::kDnsName;
using bench::kEngineLines;
using bench::kToken;
using bench::request_object_lines;

constexpr char kAddress[] = "198.51.100.1";

struct Cost {
    double cpu_ms = 0;
    double wall_ms = 0;
};

double thread_cpu_ms() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

using Request = std::function<bool()>;

void run_checked(const Request& request) {
    if (!request()) {
        std::fprintf(stderr, "request failed\n");
        std::exit(1);
    }
}

// The cost of one request of each side, over `count` requests per side after one untimed
// warm-up each. The sides take turns in blocks, so that a change in the machine's load
// falls on both alike.
std::pair<Cost, Cost> compare(int count, const Request& engine, const Request& bare) {
    constexpr int kBlock = 10;
    run_checked(engine);
    run_checked(bare);
    Cost totals[2];
    for (int done = 0; done < count; done += kBlock) {
        const int block = std::min(kBlock, count - done);
        for (int side = 0; side < 2; ++side) {
            const double cpu_start = thread_cpu_ms();
            const auto wall_start = Clock::now();
            for (int i = 0; i < block; ++i) {
                run_checked(side == 0 ? engine : bare);
            }
            totals[side].cpu_ms += thread_cpu_ms() - cpu_start;
            totals[side].wall_ms +=
                std::chrono::duration<double, std::milli>(Clock::now() - wall_start).count();
        }
    }
    for (Cost& total : totals) {
        total.cpu_ms /= count;
        total.wall_ms /= count;
    }
    return {totals[0], totals[1]};
}

void print_row(const char* path, const std::pair<Cost, Cost>& costs, int per = 1) {
    const Cost engine{costs.first.cpu_ms / per, costs.first.wall_ms / per};
    const Cost bare{costs.second.cpu_ms / per, costs.second.wall_ms / per};
    std::printf("%-34s %9.3f %9.3f %9.3f %9.3f %7.2f\n", path, engine.cpu_ms, bare.cpu_ms,
                engine.wall_ms, bare.wall_ms, engine.cpu_ms / bare.cpu_ms);
}

int run(int count) {
    sandbox::SandboxOptions options;
    options.seed = bench::bench_seed(kAddress);
    sandbox::SandboxServer sandbox(options);
    std::string error;
    if (!sandbox.start(&error)) {
        std::fprintf(stderr, "sandbox: %s\n", error.c_str());
        return 1;
    }
    sandbox.set_public_address(kAddress);
    const Endpoints endpoints = bench::trusted_endpoints(sandbox);

    const std::string dns_url =
        "http://" + endpoints.httpdns_address + "/d?dn=" + kDnsName + "&clientip=1";
    const std::string list_url = "https://" + endpoints.api_host + "/Domain.List";
    const std::string list_body =
        std::string("login_token=") + kAccountId + "," + kToken + "&format=json";

    const bench::HeaderLines time_lines = request_object_lines(endpoints.time_url);
    std::printf("%d requests per path and side; times per request in ms\n", count);
    std::printf("%-34s %9s %9s %9s %9s %7s\n", "path", "cpu", "bare cpu", "wall", "bare wall",
                "cpu x");

    const std::string& ca_file = sandbox.ca_file();
    print_row("http_request_simple GET (http)",
              compare(
                  count,
                  [&] {
                      Text status;
                      http_request_simple(dns_url, 0, {}, nullptr, nullptr, {}, nullptr, false, {},
                                          {}, {}, {}, {}, 0, nullptr, &status);
                      return status == "200 OK";
                  },
                  [&] { return bare_request(dns_url, "GET", {}, kEngineLines, ca_file); }));
    print_row(
        "http_request POST (https)",
        compare(
            count,
            [&] {
                Text status;
                http_request(list_url, 1, list_body, nullptr, nullptr, {}, nullptr, false, {}, {},
                             {}, {}, {}, 0, nullptr, &status);
                return status == "200 OK";
            },
            [&] { return bare_request(list_url, "POST", list_body, kEngineLines, ca_file); }));
    print_row(
        "network_time HEAD (http)",
        compare(
            count, [&] { return network_time(endpoints.time_url).has_value(); },
            [&] { return bare_request(endpoints.time_url, "HEAD", {}, time_lines, ca_file); }));

    // Steady passes with all 120 slots watched: 6 Record.List over HTTPS, then for every
    // slot one HTTP-DNS GET and one network-time HEAD.
    MemoryControls controls;
    controls.set_edit_text(control::id_edit(), kAccountId);
    controls.set_edit_text(control::token_edit(), kToken);
    const ApiContext context{controls, endpoints};
    lookup_domains(context);
    for (int page = 1; page <= control::kPageCount; ++page) {
        load_record_page(context, page);
    }
    const int slots = control::kPageCount * PageWatchList::kSlotCount;
    PageWatchList watch;
    bench::watch_slots(controls, watch, slots);
    RunLog log(controls, endpoints);
    UpdateCycle cycle(context, watch, log);
    const int pass_requests = control::kPageCount + 2 * slots;
    const auto bare_pass = [&] {
        bool ok = true;
        for (int page = 1; page <= control::kPageCount; ++page) {
            const Text domain_id = controls.list_cell_text(control::record_list(page), 0, 0);
            ok = bare_request("https://" + endpoints.api_host + "/Record.List", "POST",
                              list_body + "&domain_id=" + domain_id, kEngineLines, ca_file) &&
                 ok;
        }
        for (int slot = 0; slot < slots; ++slot) {
            ok = bare_request(dns_url, "GET", {}, kEngineLines, ca_file) && ok;
            ok = bare_request(endpoints.time_url, "HEAD", {}, time_lines, ca_file) && ok;
        }
        return ok;
    };
    const auto pass = compare(
        std::max(2, count / pass_requests),
        [&] {
            cycle.run_pass();
            return true;
        },
        bare_pass);
    print_row("update pass, 120 slots (per req)", pass, pass_requests);
    std::printf("update pass, 120 slots: %d requests, %.1f ms cpu, %.1f ms wall per pass\n",
                pass_requests, pass.first.cpu_ms, pass.first.wall_ms);
    set_extra_ca_file("");
    return 0;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    return velmora::run(count);
}
