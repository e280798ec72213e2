#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "base/date_time.h"
#include "base/gbk.h"
#include "base/system/local_clock.h"
#include "http/tests/support/loopback_socket.h"
#include "update/run_log.h"

namespace velmora {
namespace {

// UTC+8 computed apart from the code under test.
Text utc8_text(std::time_t at) {
    const std::time_t shifted = at + 8 * 3600;
    std::tm fields{};
    gmtime_r(&shifted, &fields);
    return date_time_to_text(make_date_time(fields.tm_year + 1900, fields.tm_mon + 1,
                                            fields.tm_mday, fields.tm_hour, fields.tm_min,
                                            fields.tm_sec));
}

// Without the network time every line used to be dated in the year 100, and then in the
// machine's own zone, hours away from the lines dated by the network.
TEST(LogTime, TheStandInClockGivesUtc8WhateverTheMachinesZone) {
    const char* saved = std::getenv("TZ");
    const std::string saved_zone = saved != nullptr ? saved : "";
    Endpoints endpoints;
    endpoints.time_url = "http://127.0.0.1:" + std::to_string(testing::refused_port()) + "/";
    // Five hours west of UTC and half an hour east: neither may leak into the line.
    for (const char* zone : {"XST+5", "YST-5:30", "UTC0"}) {
        setenv("TZ", zone, 1);
        tzset();
        const Text before = utc8_text(std::time(nullptr));
        const Text logged = log_time_text(endpoints);
        const Text after = utc8_text(std::time(nullptr));
        EXPECT_TRUE(logged == before || logged == after) << zone << ": " << logged;
        EXPECT_EQ(logged.find(gbk("100年")), Text::npos);
    }
    if (saved != nullptr) {
        setenv("TZ", saved_zone.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    EXPECT_GE(break_date_time(machine_now_utc8()).year, 2024);
}

}  // namespace
}  // namespace velmora
