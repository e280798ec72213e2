#include "base/date_time.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "base/gbk.h"

namespace velmora {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

bool is_leap_year(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back.
std::int64_t days_from_civil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t year_of_era = year - era * 400;
    const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

void civil_from_days(std::int64_t days, DateTimeFields& fields) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t day_of_era = days - era * 146097;
    const std::int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const std::int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t month_index = (5 * day_of_year + 2) / 153;
    fields.day = static_cast<int>(day_of_year - (153 * month_index + 2) / 5 + 1);
    fields.month = static_cast<int>(month_index < 10 ? month_index + 3 : month_index - 9);
    fields.year = static_cast<int>(year_of_era + era * 400 + (fields.month <= 2 ? 1 : 0));
}

const std::int64_t kEpochDays = days_from_civil(1899, 12, 30);

// Seconds since 1899-12-30 00:00:00 on a plain, continuous scale: the stored form counts
// the time of day forwards even for negative days, which makes it discontinuous at 0.
double continuous_seconds(DateTime value) {
    const double whole_days = std::trunc(value.days);
    const double time_of_day = std::fabs(value.days - whole_days);
    return (whole_days + time_of_day) * static_cast<double>(kSecondsPerDay);
}

DateTime from_continuous_seconds(double seconds) {
    const double whole_days = std::floor(seconds / static_cast<double>(kSecondsPerDay));
    const double time_of_day = seconds / static_cast<double>(kSecondsPerDay) - whole_days;
    return DateTime{whole_days < 0 ? whole_days - time_of_day : whole_days + time_of_day};
}

DateTime build(std::int64_t year, std::int64_t month, std::int64_t day, std::int64_t hour,
               std::int64_t minute, std::int64_t second) {
    const int y = static_cast<int>(std::clamp<std::int64_t>(year, kMinYear, kMaxYear));
    const int m = static_cast<int>(std::clamp<std::int64_t>(month, 1, 12));
    const int d = static_cast<int>(std::clamp<std::int64_t>(day, 1, days_in_month(y, m)));
    const std::int64_t seconds = (days_from_civil(y, m, d) - kEpochDays) * kSecondsPerDay +
                                 std::clamp<std::int64_t>(hour, 0, 23) * 3600 +
                                 std::clamp<std::int64_t>(minute, 0, 59) * 60 +
                                 std::clamp<std::int64_t>(second, 0, 59);
    return from_continuous_seconds(static_cast<double>(seconds));
}

// Adds a number of months to the calendar date, keeping the time of day.
DateTime add_months(DateTime value, std::int64_t months) {
    const DateTimeFields f = break_date_time(value);
    const std::int64_t month_count = f.year * std::int64_t{12} + (f.month - 1) + months;
    const std::int64_t year = month_count >= 0 ? month_count / 12 : (month_count - 11) / 12;
    return build(year, month_count - year * 12 + 1, f.day, f.hour, f.minute, f.second);
}

// Rounded to the millisecond, so that a value built from whole seconds stays exactly the
// value make_date_time gives for the new time, not one a rounding error away from it.
DateTime add_seconds(DateTime value, std::int64_t seconds) {
    const double milliseconds = std::round(continuous_seconds(value) * 1000.0);
    return from_continuous_seconds(milliseconds / 1000.0 + static_cast<double>(seconds));
}

}  // namespace

DateTime make_date_time(int year, int month, int day, int hour, int minute, int second) {
    return build(year, month, day, hour, minute, second);
}

DateTime make_date_time(const DateTimeFields& fields) {
    return build(fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second);
}

DateTimeFields break_date_time(DateTime value) {
    static const double kFirstSecond =
        static_cast<double>((days_from_civil(kMinYear, 1, 1) - kEpochDays) * kSecondsPerDay);
    static const double kLastSecond = static_cast<double>(
        (days_from_civil(kMaxYear, 12, 31) - kEpochDays + 1) * kSecondsPerDay - 1);
    double seconds = std::round(continuous_seconds(value));
    // NaN compares false both ways; it becomes the first valid second.
    seconds = !(seconds >= kFirstSecond) ? kFirstSecond : std::min(seconds, kLastSecond);
    const auto total = static_cast<std::int64_t>(seconds);
    const std::int64_t day_index =
        total >= 0 ? total / kSecondsPerDay : (total - kSecondsPerDay + 1) / kSecondsPerDay;
    const std::int64_t second_of_day = total - day_index * kSecondsPerDay;
    DateTimeFields fields;
    civil_from_days(day_index + kEpochDays, fields);
    fields.hour = static_cast<int>(second_of_day / 3600);
    fields.minute = static_cast<int>(second_of_day / 60 % 60);
    fields.second = static_cast<int>(second_of_day % 60);
    return fields;
}

DateTime add_to_date_time(DateTime value, int unit, int amount) {
    if (amount == 0) {
        return value;
    }
    const std::int64_t n = amount;
    switch (std::clamp(unit, 1, 8)) {
        case 1:
            return add_months(value, n * 12);
        case 2:
            return add_months(value, n * 3);
        case 3:
            return add_months(value, n);
        case 4:
            return add_seconds(value, n * 7 * kSecondsPerDay);
        case 5:
            return add_seconds(value, n * kSecondsPerDay);
        case 6:
            return add_seconds(value, n * 3600);
        case 7:
            return add_seconds(value, n * 60);
        default:
            return add_seconds(value, n);
    }
}

Text date_time_to_text(DateTime value) {
    const DateTimeFields f = break_date_time(value);
    char buffer[96];
    int length =
        std::snprintf(buffer, sizeof buffer, gbk("%d年%d月%d日").c_str(), f.year, f.month, f.day);
    const auto append = [&](const Text& format, auto... fields) {
        length += std::snprintf(buffer + length, sizeof buffer - static_cast<std::size_t>(length),
                                format.c_str(), fields...);
    };
    if (f.second != 0) {
        append(gbk("%d时%d分%d秒"), f.hour, f.minute, f.second);
    } else if (f.minute != 0) {
        append(gbk("%d时%d分"), f.hour, f.minute);
    } else if (f.hour != 0) {
        append(gbk("%d时"), f.hour);
    }
    return Text(buffer, static_cast<std::size_t>(length));
}

}  // namespace velmora
