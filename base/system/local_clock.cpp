#include "base/system/local_clock.h"

#include <chrono>

#include "base/date_time.h"

namespace velmora {

DateTime machine_now_utc8() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now()) + hours(8);
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    return make_date_time(
        static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
        static_cast<int>(unsigned(date.day())), static_cast<int>(time.hours().count()),
        static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
}

}  // namespace velmora
