// The time from a new IPv6 address on an interface to the Record.Modify at the sandbox,
// with the network watch and with only the period, five times each, in a private
// network namespace. The change comes at a random moment of the pause, as a real one
// does. Prints the times and their medians.
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "base/tests/posix/private_network.h"
#include "update/tests/hosted/namespace_loop.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using testing::NamespaceLoop;

constexpr int kRuns = 5;

// One measurement in a fresh namespace; -1 when it failed.
long long measure(bool watched, std::chrono::milliseconds period,
                  std::chrono::milliseconds offset) {
    const std::string out = testing::in_private_network([&] {
        NamespaceLoop test;
        if (!test.prepare(period)) {
            return std::string("-1");
        }
        UpdateLoop loop(test.controls(), test.endpoints(), test.watch(), test.log());
        UpdateCycle cycle({test.controls(), test.endpoints()}, test.watch(), test.log());
        std::thread bare;
        if (watched) {
            loop.start();
        } else {
            bare = std::thread([&] { cycle.run(); });
        }
        if (!NamespaceLoop::wait_until([&] { return test.lists() >= 6; }, 10s)) {
            return std::string("-1");
        }
        std::this_thread::sleep_for(offset);
        const auto took =
            test.time_to_change(NamespaceLoop::kFirstAddress, "2001:db8:5::1", period + 10s);
        loop.stop();
        request_shutdown();
        if (bare.joinable()) {
            bare.join();
        }
        return std::to_string(took ? took->count() : -1);
    });
    return std::atoll(out.c_str());
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace std::chrono_literals;
    const std::chrono::milliseconds period =
        std::chrono::seconds(argc > 1 ? std::atoi(argv[1]) : 120);
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<long long> moment(0, period.count() - 1);
    for (const bool watched : {true, false}) {
        std::vector<long long> times;
        for (int run = 0; run < velmora::kRuns; ++run) {
            const long long took =
                velmora::measure(watched, period, std::chrono::milliseconds(moment(random)));
            std::printf("%s run %d: %lld ms\n", watched ? "watch" : "period only", run + 1, took);
            std::fflush(stdout);
            times.push_back(took);
        }
        std::sort(times.begin(), times.end());
        std::printf("%s: median %lld ms (period %lld s)\n", watched ? "watch" : "period only",
                    times[times.size() / 2], static_cast<long long>(period.count() / 1000));
    }
    return 0;
}
