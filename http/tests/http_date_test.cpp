#include "http/http_date.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

HttpDate at(int year, int month, int day, int hour, int minute, int second) {
    return HttpDate{year, month, day, hour, minute, second};
}

TEST(HttpDate, ReadsTheThreeStandardForms) {
    const HttpDate expected = at(1994, 11, 6, 8, 49, 37);
    EXPECT_EQ(parse_http_date("Sun, 06 Nov 1994 08:49:37 GMT"), expected);
    EXPECT_EQ(parse_http_date("Sunday, 06-Nov-94 08:49:37 GMT"), expected);
    EXPECT_EQ(parse_http_date("Sun Nov  6 08:49:37 1994"), expected);
}

TEST(HttpDate, ToleratesWhatServersActuallySend) {
    const HttpDate expected = at(2026, 12, 8, 0, 30, 0);
    // The value as cut out of a header line keeps its leading blank.
    EXPECT_EQ(parse_http_date(" Tue, 08 Dec 2026 00:30:00 GMT"), expected);
    EXPECT_EQ(parse_http_date("tue, 8 dec 2026 00:30:00 gmt\t"), expected);
    EXPECT_EQ(parse_http_date("08 Dec 2026 00:30:00"), expected);
    EXPECT_EQ(parse_http_date("Tuesday, 08 December 2026 00:30:00 UTC"), expected);
    EXPECT_EQ(parse_http_date("Tue, 08 Dec 2026 00:30 GMT"), expected);
    EXPECT_EQ(parse_http_date("Tue, 08 Dec 2026 00:30:00 +0000"), expected);
}

TEST(HttpDate, TwoDigitYearsPickTheNearerCentury) {
    EXPECT_EQ(parse_http_date("Monday, 01-Jan-49 00:00:00 GMT")->year, 2049);
    EXPECT_EQ(parse_http_date("Sunday, 01-Jan-50 00:00:00 GMT")->year, 1950);
}

TEST(HttpDate, NumericOffsetsAreTurnedIntoUtcAcrossDayAndYearEnds) {
    EXPECT_EQ(parse_http_date("Thu, 01 Jan 2026 01:30:00 +0200"), at(2025, 12, 31, 23, 30, 0));
    EXPECT_EQ(parse_http_date("Thu, 31 Dec 2026 20:00:00 GMT-0500"), at(2027, 1, 1, 1, 0, 0));
}

TEST(HttpDate, LeapDaysAndLeapSeconds) {
    EXPECT_EQ(parse_http_date("Thu, 29 Feb 2024 12:00:00 GMT"), at(2024, 2, 29, 12, 0, 0));
    EXPECT_EQ(parse_http_date("Wed, 31 Dec 2025 23:59:60 GMT"), at(2025, 12, 31, 23, 59, 59));
    EXPECT_FALSE(parse_http_date("Sat, 29 Feb 2025 12:00:00 GMT"));
}

TEST(HttpDate, GarbageIsRefused) {
    for (const char* text :
         {"", "   ", "garbage", "Tue, 08 Dec 2026", "Tue, 08 Foo 2026 00:30:00 GMT",
          "Tue, 32 Dec 2026 00:30:00 GMT", "Tue, 08 Dec 2026 24:00:00 GMT",
          "Tue, 08 Dec 2026 00:60:00 GMT", "Tue, 08 Dec 2026 00:30:00 EST",
          "Tue, 08 Dec 2026 00:30:00 GMT junk", "Tue, 08 Dec 26000 00:30:00 GMT",
          "Tue, 08 Dec 2026 00:30:00:00 GMT", "Tue, 08 Dec 2026 00:30:00 +08",
          "Tue, 08 Dec 2026 10:30:00 12:00:00", "Tue, 08 Dec 123 00:30:00 GMT",
          "Tue, 08 Dec 2026 00:30:00 GMT 5", "Tue, 08 Dec 2026 123456789012345678901:00 GMT",
          "Tue, 08 Dec 99999999999999999999 00:30:00 GMT", "Tue; 08 Dec 2026 00:30:00 GMT"}) {
        EXPECT_FALSE(parse_http_date(text)) << text;
    }
}

}  // namespace
}  // namespace velmora
