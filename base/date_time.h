// Date-times as days since 1899-12-30 00:00:00 with the time of day as the fraction.
//
// For days before 1899-12-30 the fraction still counts forwards from midnight, so
// -1.25 is 1899-12-29 06:00. Values are broken into fields only inside the range
// 100-01-01 to 9999-12-31; anything outside is first clamped to it.
#pragma once

#include "base/types.h"

namespace velmora {

struct DateTimeFields {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Each field is clamped first: year 100..9999, month 1..12, day 1..the month's length,
// hour 0..23, minute and second 0..59.
DateTime make_date_time(int year, int month = 1, int day = 1, int hour = 0, int minute = 0,
                        int second = 0);
DateTime make_date_time(const DateTimeFields& fields);

// The value clamped into the valid range, rounded to the nearest second, as fields.
DateTimeFields break_date_time(DateTime value);

// Units, clamped into 1..8: 1 years, 2 quarters, 3 months, 4 weeks, 5 days, 6 hours,
// 7 minutes, 8 seconds. Years, quarters and months keep the day and time and clamp the
// day to the new month's length (Jan 31 + 1 month gives the last day of February).
DateTime add_to_date_time(DateTime value, int unit, int amount);

// "2024年1月5日8时3分9秒": the time is cut after its last non-zero field, and a time of
// midnight is left out altogether. No field is zero-padded.
Text date_time_to_text(DateTime value);

}  // namespace velmora
