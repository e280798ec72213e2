// The kernel's address news in a private network namespace whose addresses the test
// changes itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/system/network_changes.h"
#include "base/tests/posix/private_network.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

bool heard_within(const std::atomic<int>& heard, int at_least, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (heard < at_least && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(10ms);
    }
    return heard >= at_least;
}

// A netlink route socket is open to anyone outside a locked-down container.
TEST(NetworkChangesInTheKernel, TheAddressNewsIsRegistered) {
    auto watch = watch_network_changes([] {});
    ASSERT_NE(watch, nullptr);
    EXPECT_TRUE(watch->hears_addresses());
}

TEST(NetworkChangesInTheKernel, AnAddressAddedOrRemovedIsHeardAtOnce) {
    const std::string report = testing::in_private_network([] {
        std::atomic<int> heard{0};
        auto watch = watch_network_changes([&] { ++heard; });
        if (watch == nullptr || !watch->hears_addresses()) {
            return std::string("no watch");
        }
        std::string report;
        const auto step = [&](const char* command, int expected) {
            if (std::system(command) != 0) {
                report += std::string("failed: ") + command + "\n";
            } else if (!heard_within(heard, expected, 1s)) {
                report += std::string("not heard: ") + command + "\n";
            }
        };
        step("ip addr add 2001:db8:5::1/64 dev lo", 1);
        step("ip addr del 2001:db8:5::1/64 dev lo", 2);
        step("ip addr add 192.0.2.7/24 dev lo", 3);
        // An interface going down takes its addresses with it.
        step("ip link set lo down", 4);
        return report.empty() ? std::string("ok") : report;
    });
    if (report == "unavailable") {
        GTEST_SKIP() << "no private network namespace here";
    }
    EXPECT_EQ(report, "ok");
}

}  // namespace
}  // namespace velmora
