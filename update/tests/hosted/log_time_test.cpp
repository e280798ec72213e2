#include <gtest/gtest.h>

#include "base/date_time.h"
#include "base/gbk.h"
#include "base/system/local_clock.h"
#include "http/tests/support/loopback_socket.h"
#include "update/run_log.h"

namespace velmora {
namespace {

// Without the network time every line used to be dated in the year 100.
TEST(LogTime, TakesTheLocalClockWhenTheTimeSiteGivesNoDate) {
    Endpoints endpoints;
    endpoints.time_url = "http://127.0.0.1:" + std::to_string(testing::refused_port()) + "/";
    const Text before = date_time_to_text(local_now());
    const Text logged = log_time_text(endpoints);
    const Text after = date_time_to_text(local_now());
    EXPECT_TRUE(logged == before || logged == after) << logged;
    EXPECT_EQ(logged.find(gbk("100年")), Text::npos);
    EXPECT_GE(break_date_time(local_now()).year, 2024);
}

}  // namespace
}  // namespace velmora
