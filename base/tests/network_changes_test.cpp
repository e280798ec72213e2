// What both builds' watches give: the resume that the window layer reports reaches every
// live watch, and the platform's address news is registered where the platform has it.
#include "base/system/network_changes.h"

#include <gtest/gtest.h>

#include <atomic>

namespace velmora {
namespace {

TEST(NetworkChanges, AResumeReachesEveryLiveWatchAndNoneThatEnded) {
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    auto one = watch_network_changes([&] { ++first; });
    ASSERT_NE(one, nullptr);
    {
        auto two = watch_network_changes([&] { ++second; });
        ASSERT_NE(two, nullptr);
        machine_resumed();
        EXPECT_EQ(second, 1);
    }
    machine_resumed();
    EXPECT_EQ(second, 1);
    // Address news may come meanwhile on a busy machine; the resumes are counted apart.
    EXPECT_GE(first, 2);
}

}  // namespace
}  // namespace velmora
