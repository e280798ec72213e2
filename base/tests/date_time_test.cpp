#include "base/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/gbk.h"

namespace velmora {
namespace {

Text text_of(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return date_time_to_text(make_date_time(year, month, day, hour, minute, second));
}

void expect_fields(DateTime value, int year, int month, int day, int hour = 0, int minute = 0,
                   int second = 0) {
    const DateTimeFields f = break_date_time(value);
    EXPECT_EQ(f.year, year);
    EXPECT_EQ(f.month, month);
    EXPECT_EQ(f.day, day);
    EXPECT_EQ(f.hour, hour);
    EXPECT_EQ(f.minute, minute);
    EXPECT_EQ(f.second, second);
}

TEST(MakeDateTime, CountsDaysFromTheEpoch) {
    EXPECT_EQ(make_date_time(1899, 12, 30).days, 0.0);
    EXPECT_EQ(make_date_time(1900, 1, 1).days, 2.0);
    EXPECT_EQ(make_date_time(1899, 12, 30, 12).days, 0.5);
    EXPECT_EQ(make_date_time(100, 1, 1).days, -657434.0);
    EXPECT_EQ(make_date_time(9999, 12, 31).days, 2958465.0);
    // Before the epoch the time of day still counts forwards from midnight.
    EXPECT_EQ(make_date_time(1899, 12, 29, 6).days, -1.25);
    expect_fields(DateTime{-1.25}, 1899, 12, 29, 6);
}

TEST(MakeDateTime, ClampsEveryField) {
    expect_fields(make_date_time(2023, 2, 31), 2023, 2, 28);
    expect_fields(make_date_time(2024, 2, 31), 2024, 2, 29);
    expect_fields(make_date_time(1900, 2, 29), 1900, 2, 28);
    expect_fields(make_date_time(2000, 2, 30), 2000, 2, 29);
    expect_fields(make_date_time(50), 100, 1, 1);
    expect_fields(make_date_time(12000, 13, 0, 24, 60, 60), 9999, 12, 1, 23, 59, 59);
    expect_fields(make_date_time(2024, -3, -1, -1, -1, -1), 2024, 1, 1);
    expect_fields(make_date_time(2024, 4, 31), 2024, 4, 30);
}

TEST(BreakDateTime, ClampsIntoTheValidRange) {
    expect_fields(DateTime{-1e9}, 100, 1, 1);
    expect_fields(DateTime{1e9}, 9999, 12, 31, 23, 59, 59);
    expect_fields(DateTime{std::numeric_limits<double>::quiet_NaN()}, 100, 1, 1);
    expect_fields(make_date_time(9999, 12, 31, 23, 59, 59), 9999, 12, 31, 23, 59, 59);
    expect_fields(make_date_time(100, 1, 1, 23, 59, 59), 100, 1, 1, 23, 59, 59);
}

TEST(AddToDateTime, CalendarUnitsClampTheDay) {
    const DateTime jan31 = make_date_time(2024, 1, 31, 10, 20, 30);
    expect_fields(add_to_date_time(jan31, 3, 1), 2024, 2, 29, 10, 20, 30);
    expect_fields(add_to_date_time(jan31, 3, 13), 2025, 2, 28, 10, 20, 30);
    expect_fields(add_to_date_time(jan31, 3, -1), 2023, 12, 31, 10, 20, 30);
    expect_fields(add_to_date_time(jan31, 3, -13), 2022, 12, 31, 10, 20, 30);
    expect_fields(add_to_date_time(jan31, 2, 1), 2024, 4, 30, 10, 20, 30);
    expect_fields(add_to_date_time(make_date_time(2024, 2, 29), 1, 1), 2025, 2, 28);
    expect_fields(add_to_date_time(jan31, 1, 100000), 9999, 1, 31, 10, 20, 30);
}

TEST(AddToDateTime, SpanUnits) {
    const DateTime start = make_date_time(2024, 12, 31, 20, 0, 0);
    expect_fields(add_to_date_time(start, 6, 8), 2025, 1, 1, 4);
    expect_fields(add_to_date_time(start, 4, 1), 2025, 1, 7, 20);
    expect_fields(add_to_date_time(start, 5, -366), 2023, 12, 31, 20);
    expect_fields(add_to_date_time(start, 7, 90), 2024, 12, 31, 21, 30);
    expect_fields(add_to_date_time(start, 8, -1), 2024, 12, 31, 19, 59, 59);
    // Spans cross the epoch, where the stored form of the time of day turns around.
    expect_fields(add_to_date_time(make_date_time(1899, 12, 30, 2), 6, -4), 1899, 12, 29, 22);
    expect_fields(add_to_date_time(make_date_time(1899, 12, 29, 22), 6, 4), 1899, 12, 30, 2);
}

TEST(AddToDateTime, SpansLandExactlyOnTheBuiltValue) {
    for (int day = 1; day <= 28; day += 3) {
        for (int minute = 0; minute < 60; minute += 7) {
            const DateTime utc = make_date_time(2026, 12, day, 20, minute, 13);
            EXPECT_EQ(add_to_date_time(utc, 6, 8),
                      make_date_time(2026, 12, day + 1, 4, minute, 13));
            EXPECT_EQ(add_to_date_time(utc, 8, -13), make_date_time(2026, 12, day, 20, minute, 0));
        }
    }
}

TEST(AddToDateTime, UnitIsClampedAndZeroAmountKeepsTheValue) {
    const DateTime start = make_date_time(2024, 5, 6, 7, 8, 9);
    expect_fields(add_to_date_time(start, 9, 1), 2024, 5, 6, 7, 8, 10);
    expect_fields(add_to_date_time(start, 0, 1), 2025, 5, 6, 7, 8, 9);
    const DateTime odd{45000.123456789};
    EXPECT_EQ(add_to_date_time(odd, 3, 0), odd);
}

TEST(DateTimeToText, CutsTheTimeAfterItsLastNonZeroField) {
    EXPECT_EQ(text_of(2024, 1, 5, 8, 3, 9), gbk("2024年1月5日8时3分9秒"));
    EXPECT_EQ(text_of(2024, 1, 5, 8), gbk("2024年1月5日8时"));
    EXPECT_EQ(text_of(2024, 1, 5), gbk("2024年1月5日"));
    EXPECT_EQ(text_of(2024, 1, 5, 0, 0, 7), gbk("2024年1月5日0时0分7秒"));
    EXPECT_EQ(text_of(2024, 3, 1, 12, 30), gbk("2024年3月1日12时30分"));
    EXPECT_EQ(date_time_to_text(DateTime{1e12}), gbk("9999年12月31日23时59分59秒"));
}

TEST(DateTimeToText, RoundsToTheNearestSecond) {
    const double one_second = 1.0 / 86400.0;
    const DateTime almost_midnight{make_date_time(2024, 1, 5).days + 1.0 - one_second / 4};
    EXPECT_EQ(date_time_to_text(almost_midnight), gbk("2024年1月6日"));
}

}  // namespace
}  // namespace velmora
